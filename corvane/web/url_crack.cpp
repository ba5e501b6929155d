#include "web/url_crack.h"

#include "run/diagnostic_log.h"

bool CrackURL(std::string url, std::string& host, std::string& path) {
    host.clear();
    path.clear();
    if (url.empty()) {
        g_Log.Write("Invalid Link in CrackURL");
        return false;
    }
    std::size_t hostStart = url.find("http://");
    hostStart = hostStart == std::string::npos ? 0 : hostStart + 7;
    std::size_t slash = url.find('/', hostStart);
    host = url.substr(hostStart, slash == std::string::npos ? std::string::npos : slash - hostStart);
    if (slash != std::string::npos) path = url.substr(slash);
    if (path == "/") path.clear();
    return !host.empty();
}
