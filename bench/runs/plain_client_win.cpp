#include "plain_client_win.h"

#include <ws2tcpip.h>

#include <chrono>
#include <cstdlib>
#include <string>

namespace {

class CPlainConnection {
public:
    ~CPlainConnection() { Close(); }

    // One answer to a GET of target on host; false when none came whole.
    bool Get(const std::string& host, const std::string& target) {
        if (host != m_host) Close();
        if (m_socket == INVALID_SOCKET && !Connect(host)) return false;
        std::string request = "GET " + target + " HTTP/1.1\r\nHost: " + host + "\r\n\r\n";
        if (send(m_socket, request.data(), static_cast<int>(request.size()), 0) != static_cast<int>(request.size()) ||
            !ReadAnswer()) {
            Close();
            return false;
        }
        return true;
    }

private:
    bool Connect(const std::string& host) {
        m_socket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(80);
        inet_pton(AF_INET, host.c_str(), &address.sin_addr);
        BOOL bNoDelay = TRUE;
        setsockopt(m_socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&bNoDelay), sizeof bNoDelay);
        if (connect(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            Close();
            return false;
        }
        m_host = host;
        m_buffer.clear();
        return true;
    }

    void Close() {
        if (m_socket != INVALID_SOCKET) closesocket(m_socket);
        m_socket = INVALID_SOCKET;
        m_host.clear();
    }

    bool Receive() {
        char chunk[65536];
        int n = recv(m_socket, chunk, sizeof chunk, 0);
        if (n <= 0) return false;
        m_buffer.append(chunk, static_cast<std::size_t>(n));
        return true;
    }

    // Reads the head, then the body by its Content-Length, or up to the
    // end of the connection when the answer gives no length.
    bool ReadAnswer() {
        std::size_t nHeadEnd;
        while ((nHeadEnd = m_buffer.find("\r\n\r\n")) == std::string::npos)
            if (!Receive()) return false;
        std::size_t nLength = m_buffer.find("Content-Length: ");
        if (nLength == std::string::npos || nLength > nHeadEnd) {
            while (Receive()) {
            }
            Close();
            return true;
        }
        std::size_t nEnd = nHeadEnd + 4 + std::strtoul(m_buffer.c_str() + nLength + 16, nullptr, 10);
        while (m_buffer.size() < nEnd)
            if (!Receive()) return false;
        m_buffer.erase(0, nEnd);
        return true;
    }

    SOCKET m_socket = INVALID_SOCKET;
    std::string m_host;
    std::string m_buffer;
};

}  // namespace

ReplayResult ReplayRequests(const std::vector<simweb::RequestLogEntry>& requests) {
    ReplayResult result{0.0, 0};
    CPlainConnection connection;
    const auto start = std::chrono::steady_clock::now();
    for (const simweb::RequestLogEntry& request : requests)
        if (!connection.Get(request.host, request.target)) ++result.nFailed;
    result.dSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return result;
}
