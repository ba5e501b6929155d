#include "web/url_crack.h"

#include <utility>

#include "base/diagnostic_log.h"

namespace {

const char kPlain[] = "http://";
const char kSecure[] = "https://";

}  // namespace

SchemeMark FindSchemeMark(const std::string& text, std::size_t nFrom) {
    SchemeMark mark;
    const std::size_t nPlain = text.find(kPlain, nFrom);
    const std::size_t nSecure = text.find(kSecure, nFrom);
    // The two never start at the same place: "https://" holds no "http://".
    if (nSecure < nPlain) {
        mark.nPos = nSecure;
        mark.nLength = sizeof kSecure - 1;
        mark.bSecure = true;
    } else if (nPlain != std::string::npos) {
        mark.nPos = nPlain;
        mark.nLength = sizeof kPlain - 1;
    }
    return mark;
}

HostRange HostSpan(const std::string& address) {
    HostRange range;
    const SchemeMark mark = FindSchemeMark(address);
    if (mark.nPos != std::string::npos) {
        range.nStart = mark.nPos + mark.nLength;
        range.bSecure = mark.bSecure;
    }
    const std::size_t nSlash = address.find('/', range.nStart);
    range.nEnd = nSlash == std::string::npos ? address.size() : nSlash;
    return range;
}

bool CrackURL(std::string url, std::string& host, std::string& path) {
    bool bSecure = false;
    return CrackURL(std::move(url), host, path, bSecure);
}

bool CrackURL(std::string url, std::string& host, std::string& path, bool& bSecure) {
    host.clear();
    path.clear();
    bSecure = false;
    if (url.empty()) {
        g_Log.Write("Invalid Link in CrackURL");
        return false;
    }
    const HostRange range = HostSpan(url);
    bSecure = range.bSecure;
    host = url.substr(range.nStart, range.nEnd - range.nStart);
    if (range.nEnd < url.size()) path = url.substr(range.nEnd);
    if (path == "/") path.clear();
    return !host.empty();
}

std::string PercentEncoded(const std::string& bytes) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(bytes.size() * 3);
    for (unsigned char c : bytes) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
            c == '_' || c == '~') {
            encoded += static_cast<char>(c);
        } else {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 0x0F];
        }
    }
    return encoded;
}

bool SplitHostPort(const std::string& host, std::string& name, unsigned& nPort) {
    name = host;
    const std::size_t nColon = host.rfind(':');
    // An IPv6 address in brackets holds colons of its own.
    if (nColon == std::string::npos || nColon + 1 == host.size() || host.find(']', nColon) != std::string::npos)
        return false;
    unsigned long nValue = 0;
    for (std::size_t i = nColon + 1; i < host.size(); ++i) {
        if (host[i] < '0' || host[i] > '9') return false;
        nValue = nValue * 10 + static_cast<unsigned long>(host[i] - '0');
        if (nValue > 65535) return false;
    }
    if (nValue == 0) return false;
    name = host.substr(0, nColon);
    nPort = static_cast<unsigned>(nValue);
    return true;
}
