#include "end_to_end_runs/page_checks.h"

#include <algorithm>
#include <cctype>
#include <regex>

namespace {

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// Takes out everything from each start marker through the next end
// marker, both found with letter case ignored.
std::string WithoutSpans(std::string text, const std::string& start, const std::string& end) {
    for (;;) {
        std::string upper = Upper(text);
        std::size_t nStart = upper.find(Upper(start));
        if (nStart == std::string::npos) return text;
        std::size_t nEnd = upper.find(Upper(end), nStart + start.size());
        if (nEnd == std::string::npos) return text;
        text.erase(nStart, nEnd + end.size() - nStart);
    }
}

std::string WithoutScripts(const std::string& html) { return WithoutSpans(html, "<SCRIPT", "</SCRIPT>"); }

std::string VisibleText(const std::string& html) {
    std::string page = WithoutScripts(html), text;
    for (std::size_t nOpen = page.find('>'); nOpen != std::string::npos; nOpen = page.find('>', nOpen)) {
        std::size_t nClose = page.find('<', nOpen);
        if (nClose == std::string::npos) break;
        text += WithoutSpans(page.substr(nOpen + 1, nClose - nOpen - 1), "&", ";");
        nOpen = nClose;
    }
    return text;
}

struct Link {
    std::string text;
    std::string target;
};

// Anchors from "<a" to "a>" with a double-quoted href, in page order.
std::vector<Link> Links(const std::string& html) {
    std::vector<Link> links;
    for (std::size_t nOpen = html.find("<a"); nOpen != std::string::npos;) {
        std::size_t nClose = html.find("a>", nOpen + 1);
        if (nClose == std::string::npos) break;
        std::string anchor = html.substr(nOpen, nClose + 2 - nOpen);
        std::size_t nHref = anchor.find("href=\"");
        std::size_t nQuote = nHref == std::string::npos ? nHref : anchor.find('"', nHref + 6);
        if (nQuote != std::string::npos)
            links.push_back({WithoutSpans(WithoutSpans(anchor, "<", ">"), "&", ";"),
                             anchor.substr(nHref + 6, nQuote - nHref - 6)});
        nOpen = html.find("<a", nClose + 2);
    }
    return links;
}

bool IsContactWord(const std::string& text) {
    std::string words = std::string(kContactWords) + ";";
    for (std::size_t nAt = 0, nEnd; (nEnd = words.find(';', nAt)) != std::string::npos; nAt = nEnd + 1)
        if (Upper(words.substr(nAt, nEnd - nAt)) == Upper(text)) return true;
    return false;
}

// A file name relative to the page's folder (the only kind these pages
// use): the page's own file name is replaced.
std::string Absolute(const std::string& target, const std::string& pageAddress) {
    if (target.find("http://") != std::string::npos) return target;
    return pageAddress.substr(0, pageAddress.rfind('/')) + "/" + target;
}

}  // namespace

std::string ContactLink(const std::string& html, const std::string& pageAddress) {
    for (const Link& link : Links(WithoutScripts(html)))
        if (IsContactWord(link.text)) return link.target.empty() ? "" : Absolute(link.target, pageAddress);
    return "";
}

bool HoldsKeyword(const std::string& html, const std::vector<std::string>& keywords) {
    std::string text = VisibleText(html);
    return std::any_of(keywords.begin(), keywords.end(), [&](const std::string& keyword) {
        return std::regex_search(text, std::regex("\\b" + keyword + "\\b"));
    });
}
