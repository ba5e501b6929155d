#pragma once
// A bare HTTP client for the service tests: raw Winsock, so a test can
// also send what no real client would.
#include <winsock2.h>

#include <string>
#include <vector>

namespace simweb_test {

struct HttpResult {
    bool bOk = false;  // a complete answer arrived
    int nStatus = 0;
    std::string head;
    std::string body;
};

// One GET on a fresh connection (Connection: close).
HttpResult Get(const std::string& address, const std::string& target);
// Sends bytes as they are and reads until the server closes, the time
// limit passes or nMaxBytes arrived.
HttpResult SendRaw(const std::string& address, const std::string& bytes, int nTimeoutMs = 15000,
                   std::size_t nMaxBytes = static_cast<std::size_t>(-1));
// A connected socket (INVALID_SOCKET on failure); the caller closes it.
SOCKET Connect(const std::string& address);
// Reads n answers (by Content-Length) from a kept-alive connection; fewer
// when the connection ends or the time limit passes.
std::vector<HttpResult> ReadAnswers(SOCKET s, std::size_t n, int nTimeoutMs = 15000);
HttpResult ReadAnswer(SOCKET s, int nTimeoutMs = 15000);
HttpResult ParseAnswer(const std::string& raw);

}  // namespace simweb_test
