#include "evaluate/outbound_links.h"

#include <cstring>

#include "base/diagnostic_log.h"
#include "base/run_state.h"
#include "evaluate/address_set.h"
#include "evaluate/url_chars.h"
#include "web/tools_library.h"

namespace {

const char kHrefMarker[] = "HREF=\"";
constexpr std::size_t kHrefMarkerLength = sizeof kHrefMarker - 1;

// Images, downloads and ad redirects are not pages worth a link.
const char* const kExcluded[] = {".gif", ".jpg", ".jpeg", ".tga", ".psd", ".pdf", ".bmp",
                                 ".exe", ".zip", ".rar", ".cab", ".msi", "googleadservices"};

bool IsExcluded(const std::string& candidate) {
    for (const char* szPattern : kExcluded)
        if (StrStrNoCase(candidate.c_str(), szPattern)) return true;
    return false;
}

std::string AddressAt(const char* p) {
    std::size_t n = 0;
    while (n < kMaxAbsoluteLink && IsURLChar(p[n])) ++n;
    return std::string(p, n);
}

void CollectAbsolute(const char* szPage, std::vector<std::string>& links) {
    CAbsoluteMarks marks(szPage);
    for (const char* p = marks.Next(); p; p = marks.Next()) {
        if (g_Stopped) break;
        std::string szCandidate = AddressAt(p);
        if (!IsExcluded(szCandidate)) links.push_back(std::move(szCandidate));
    }
}

// The closing quote of a value, looked for no further than a value may
// reach (and never past the end of the text).
const char* ClosingQuote(const char* szStart) {
    for (std::size_t n = 0; n <= kMaxHrefValue && szStart[n]; ++n)
        if (szStart[n] == '"') return szStart + n;
    return nullptr;
}

void TakeRelative(const std::string& value, std::vector<std::string>& links, CAddressSet& known) {
    if (value.empty() || FindAbsoluteMark(value.c_str())) return;
    if (known.Contains(value)) return;
    known.Insert(value);
    links.push_back(value);
}

void CollectRelative(const char* szPage, std::vector<std::string>& links) {
    // Everything the list holds already counts for the duplicate test.
    CAddressSet known;
    for (const std::string& link : links) known.Insert(link);
    for (const char* p = StrStrNoCase(szPage, kHrefMarker); p; p = StrStrNoCase(p + kHrefMarkerLength, kHrefMarker)) {
        const char* szStart = p + kHrefMarkerLength;
        const char* szEnd = ClosingQuote(szStart);
        if (!szEnd) {
            g_Log.Write("strncpy failed because of minus argument as memory size!\n");
            continue;
        }
        TakeRelative(std::string(szStart, szEnd), links, known);
    }
}

}  // namespace

void GetPageOutcomingLinks(const char* szPage, std::vector<std::string>* lpLinks) {
    if (!szPage) {
        g_Log.Write("szPage == NULL\n");
        return;
    }
    if (!lpLinks) return;
    CollectAbsolute(szPage, *lpLinks);
    CollectRelative(szPage, *lpLinks);
}
