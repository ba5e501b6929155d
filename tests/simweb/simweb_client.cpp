#include "simweb_client.h"

#include <ws2tcpip.h>

#include <chrono>
#include <cstdlib>

namespace simweb_test {

namespace {

struct WinsockUp {
    WinsockUp() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
};

bool WaitReadable(SOCKET s, std::chrono::steady_clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    WSAPOLLFD fd{};
    fd.fd = s;
    fd.events = POLLRDNORM;
    return WSAPoll(&fd, 1, static_cast<int>(left.count())) > 0;
}

bool SendAll(SOCKET s, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        int n = send(s, bytes.data() + sent, static_cast<int>(bytes.size() - sent), 0);
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

std::size_t ContentLength(const std::string& head) {
    std::size_t pos = head.find("Content-Length:");
    return pos == std::string::npos ? std::string::npos : std::strtoul(head.c_str() + pos + 15, nullptr, 10);
}

}  // namespace

SOCKET Connect(const std::string& address) {
    static WinsockUp up;
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(80);
    inet_pton(AF_INET, address.c_str(), &addr.sin_addr);
    if (s != INVALID_SOCKET && connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        closesocket(s);
        return INVALID_SOCKET;
    }
    return s;
}

HttpResult ParseAnswer(const std::string& raw) {
    HttpResult result;
    std::size_t end = raw.find("\r\n\r\n");
    if (end == std::string::npos || raw.compare(0, 9, "HTTP/1.1 ") != 0) return result;
    result.head = raw.substr(0, end + 4);
    result.body = raw.substr(end + 4);
    result.nStatus = std::atoi(raw.c_str() + 9);
    std::size_t length = ContentLength(result.head);
    result.bOk = length == std::string::npos || result.body.size() == length;
    return result;
}

HttpResult SendRaw(const std::string& address, const std::string& bytes, int nTimeoutMs, std::size_t nMaxBytes) {
    SOCKET s = Connect(address);
    if (s == INVALID_SOCKET) return HttpResult();
    std::string raw;
    if (SendAll(s, bytes)) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(nTimeoutMs);
        char buffer[16384];
        while (raw.size() < nMaxBytes && WaitReadable(s, deadline)) {
            int n = recv(s, buffer, sizeof buffer, 0);
            if (n <= 0) break;
            raw.append(buffer, static_cast<std::size_t>(n));
        }
    }
    closesocket(s);
    return ParseAnswer(raw);
}

HttpResult Get(const std::string& address, const std::string& target) {
    return SendRaw(address, "GET " + target + " HTTP/1.1\r\nHost: " + address + "\r\nConnection: close\r\n\r\n");
}

std::vector<HttpResult> ReadAnswers(SOCKET s, std::size_t n, int nTimeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(nTimeoutMs);
    std::vector<HttpResult> answers;
    std::string raw;
    char buffer[16384];
    while (answers.size() < n) {
        std::size_t end = raw.find("\r\n\r\n");
        std::size_t length = end == std::string::npos ? std::string::npos : ContentLength(raw.substr(0, end));
        if (length != std::string::npos && raw.size() >= end + 4 + length) {
            answers.push_back(ParseAnswer(raw.substr(0, end + 4 + length)));
            raw.erase(0, end + 4 + length);
            continue;
        }
        int nRead = WaitReadable(s, deadline) ? recv(s, buffer, sizeof buffer, 0) : 0;
        if (nRead <= 0) {
            if (!raw.empty()) answers.push_back(ParseAnswer(raw));
            break;
        }
        raw.append(buffer, static_cast<std::size_t>(nRead));
    }
    return answers;
}

HttpResult ReadAnswer(SOCKET s, int nTimeoutMs) {
    std::vector<HttpResult> answers = ReadAnswers(s, 1, nTimeoutMs);
    return answers.empty() ? HttpResult() : answers.front();
}

}  // namespace simweb_test
