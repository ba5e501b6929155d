#pragma once
// Addresses as the local web understands them: splitting, resolving a link
// against its page, the lookup key of a page, and the loopback addresses
// handed out to sites.
#include <cstdint>
#include <string>
#include <vector>

namespace simweb {

struct HttpAddress {
    bool bSecure = false;  // "https://"
    std::string host;   // lower case, without the scheme's own port
    std::string path;   // from the first "/" ("/" when none), no query
    std::string query;  // after "?", without it
};

// False unless the text is an "http://" or "https://" address with a host.
bool ParseHttpAddress(const std::string& address, HttpAddress& parts);

// The key under which a page is found: host and path with every escape
// written the one canonical way, so "a%20b" and "a b" meet.
std::string PageKey(const std::string& host, const std::string& path);

// Resolves a link as a browser would; empty for links that lead to no
// web page (mail, script, other schemes, bare fragments).
std::string ResolveHref(const std::string& baseAddress, const std::string& href);

// "a/./b/../c" style segments removed from an absolute path.
std::string RemoveDotSegments(const std::string& path);

bool ParseIPv4(const std::string& text, uint32_t& nAddress);
std::string FormatIPv4(uint32_t nAddress);

// nCount loopback addresses from szBase upwards, skipping those that end
// in .0 or .255 and those listed in reserved; false with a reason when the
// base is no 127.x.y.z address or the range runs out.
bool PlanSiteHosts(const std::string& base, std::size_t nCount, const std::vector<std::string>& reserved,
                   std::vector<std::string>& hosts, std::string& error);

}  // namespace simweb
