#include "sim_address.h"

#include <algorithm>
#include <cstdio>

#include "sim_text.h"

namespace simweb {

namespace {

bool HasScheme(const std::string& href) {
    std::size_t colon = href.find(':');
    if (colon == std::string::npos || colon == 0) return false;
    for (std::size_t i = 0; i < colon; ++i) {
        char c = href[i];
        bool bOk = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                   (i > 0 && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'));
        if (!bOk) return false;
    }
    return true;
}

std::string Trim(const std::string& text) {
    std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return std::string();
    std::size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::string Rebuild(const HttpAddress& parts) {
    std::string address = (parts.bSecure ? "https://" : "http://") + parts.host + parts.path;
    if (!parts.query.empty()) address += "?" + parts.query;
    return address;
}

}  // namespace

bool ParseHttpAddress(const std::string& address, HttpAddress& parts) {
    parts.bSecure = StartsWithNoCase(address, "https://");
    if (!parts.bSecure && !StartsWithNoCase(address, "http://")) return false;
    const std::size_t nHostStart = parts.bSecure ? 8 : 7;
    std::size_t hostEnd = address.find_first_of("/?#", nHostStart);
    if (hostEnd == std::string::npos) hostEnd = address.size();
    parts.host = ToLower(address.substr(nHostStart, hostEnd - nHostStart));
    const std::string defaultPort = parts.bSecure ? ":443" : ":80";
    if (parts.host.size() > defaultPort.size() &&
        parts.host.compare(parts.host.size() - defaultPort.size(), defaultPort.size(), defaultPort) == 0)
        parts.host.resize(parts.host.size() - defaultPort.size());
    if (parts.host.empty()) return false;
    std::size_t fragment = address.find('#', hostEnd);
    std::string rest = address.substr(hostEnd, fragment == std::string::npos ? std::string::npos : fragment - hostEnd);
    std::size_t question = rest.find('?');
    parts.path = rest.substr(0, question);
    parts.query = question == std::string::npos ? std::string() : rest.substr(question + 1);
    if (parts.path.empty()) parts.path = "/";
    return true;
}

std::string PageKey(const std::string& host, const std::string& path) {
    return ToLower(host) + PercentEscapePath(PercentDecode(path, false));
}

std::string RemoveDotSegments(const std::string& path) {
    std::vector<std::string> segments;
    std::size_t i = 0;
    bool bTrailingSlash = false;
    while (i <= path.size()) {
        std::size_t next = path.find('/', i);
        if (next == std::string::npos) next = path.size();
        std::string segment = path.substr(i, next - i);
        bTrailingSlash = false;
        if (segment == "..") {
            if (!segments.empty()) segments.pop_back();
            bTrailingSlash = true;
        } else if (segment == ".") {
            bTrailingSlash = true;
        } else if (!segment.empty() || next == path.size()) {
            segments.push_back(segment);
        }
        i = next + 1;
    }
    std::string out;
    for (const std::string& segment : segments) out += "/" + segment;
    if (out.empty() || bTrailingSlash) out += "/";
    return out;
}

std::string ResolveHref(const std::string& baseAddress, const std::string& rawHref) {
    std::string href = Trim(rawHref);
    std::size_t fragment = href.find('#');
    if (fragment != std::string::npos) href.erase(fragment);
    HttpAddress base;
    if (!ParseHttpAddress(baseAddress, base)) return std::string();
    HttpAddress target;
    if (StartsWith(href, "//")) href = (base.bSecure ? "https:" : "http:") + href;
    if (HasScheme(href)) {
        if (!ParseHttpAddress(href, target)) return std::string();
    } else {
        if (href.empty()) return std::string();
        target.bSecure = base.bSecure;
        target.host = base.host;
        std::size_t question = href.find('?');
        std::string path = href.substr(0, question);
        target.query = question == std::string::npos ? std::string() : href.substr(question + 1);
        if (path.empty()) {
            target.path = base.path;
        } else if (path[0] == '/') {
            target.path = path;
        } else {
            target.path = base.path.substr(0, base.path.rfind('/') + 1) + path;
        }
    }
    target.path = RemoveDotSegments(target.path);
    return Rebuild(target);
}

bool ParseIPv4(const std::string& text, uint32_t& nAddress) {
    unsigned a, b, c, d;
    char szTail[2];
    if (std::sscanf(text.c_str(), "%3u.%3u.%3u.%3u%1s", &a, &b, &c, &d, szTail) != 4) return false;
    if (a > 255 || b > 255 || c > 255 || d > 255) return false;
    nAddress = (a << 24) | (b << 16) | (c << 8) | d;
    return true;
}

std::string FormatIPv4(uint32_t nAddress) {
    char szText[16];
    std::snprintf(szText, sizeof szText, "%u.%u.%u.%u", nAddress >> 24, (nAddress >> 16) & 255,
                  (nAddress >> 8) & 255, nAddress & 255);
    return szText;
}

bool PlanSiteHosts(const std::string& base, std::size_t nCount, const std::vector<std::string>& reserved,
                   std::vector<std::string>& hosts, std::string& error) {
    hosts.clear();
    uint32_t nAddress = 0;
    if (!ParseIPv4(base, nAddress) || (nAddress >> 24) != 127) {
        error = "the site base must be a loopback address 127.x.y.z: " + base;
        return false;
    }
    while (hosts.size() < nCount) {
        if ((nAddress >> 24) != 127) {
            error = "too many sites for the loopback range above " + base;
            return false;
        }
        std::string host = FormatIPv4(nAddress);
        uint32_t nLast = nAddress & 255;
        if (nLast != 0 && nLast != 255 && std::find(reserved.begin(), reserved.end(), host) == reserved.end())
            hosts.push_back(host);
        ++nAddress;
    }
    return true;
}

}  // namespace simweb
