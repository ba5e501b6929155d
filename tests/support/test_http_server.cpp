#include "support/test_http_server.h"

#include <ws2tcpip.h>

#include <chrono>
#include <cstring>

namespace {

struct WinsockInit {
    WinsockInit() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
};

std::string HeaderValue(const std::string& head, const char* name) {
    std::string lowerHead = head;
    for (char& c : lowerHead) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    std::string key = std::string("\r\n") + name + ":";
    std::size_t pos = lowerHead.find(key);
    if (pos == std::string::npos) return "";
    pos += key.size();
    std::size_t end = head.find("\r\n", pos);
    std::string value = head.substr(pos, end - pos);
    while (!value.empty() && value[0] == ' ') value.erase(0, 1);
    return value;
}

}  // namespace

CTestHttpServer::CTestHttpServer(const char* szAddress, int nPort) : m_address(szAddress), m_nPort(nPort) {
    static WinsockInit init;
    ServeBody("<html><body>ok</body></html>");
}

CTestHttpServer::~CTestHttpServer() {
    m_closing = true;
    Release();
    StopListening();
    if (m_acceptThread.joinable()) m_acceptThread.join();
    {
        std::lock_guard<std::mutex> guard(m_lock);
        for (SOCKET s : m_openSockets) shutdown(s, SD_BOTH);
    }
    for (std::thread& t : m_clients)
        if (t.joinable()) t.join();
}

bool CTestHttpServer::Listen() {
    if (m_acceptThread.joinable()) m_acceptThread.join();
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (listener == INVALID_SOCKET) return false;
    BOOL bReuse = TRUE;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&bReuse), sizeof bReuse);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<u_short>(m_nPort));
    inet_pton(AF_INET, m_address.c_str(), &addr.sin_addr);
    if (bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(listener, 64) != 0) {
        closesocket(listener);
        return false;
    }
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_listener = listener;
    }
    m_acceptThread = std::thread(&CTestHttpServer::AcceptLoop, this, listener);
    return true;
}

void CTestHttpServer::StopListening() {
    SOCKET listener;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        listener = m_listener;
        m_listener = INVALID_SOCKET;
    }
    if (listener != INVALID_SOCKET) closesocket(listener);
    if (m_acceptThread.joinable() && m_acceptThread.get_id() != std::this_thread::get_id()) m_acceptThread.join();
}

void CTestHttpServer::SetHandler(std::function<HttpReply(const HttpRequest&)> handler) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_handler = std::move(handler);
}

void CTestHttpServer::ServeBody(const std::string& body) {
    SetHandler([body](const HttpRequest&) {
        HttpReply reply;
        reply.body = body;
        return reply;
    });
}

void CTestHttpServer::SetMode(ServeMode mode) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_mode = mode;
    m_released = false;
}

void CTestHttpServer::Release() {
    std::lock_guard<std::mutex> guard(m_lock);
    m_released = true;
    m_changed.notify_all();
}

std::vector<HttpRequest> CTestHttpServer::Requests() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_requests;
}

std::size_t CTestHttpServer::RequestCount() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_requests.size();
}

bool CTestHttpServer::WaitForRequests(std::size_t n, int nTimeoutMs) {
    std::unique_lock<std::mutex> guard(m_lock);
    return m_changed.wait_for(guard, std::chrono::milliseconds(nTimeoutMs),
                              [&] { return m_requests.size() >= n; });
}

void CTestHttpServer::AcceptLoop(SOCKET listener) {
    for (;;) {
        SOCKET client = accept(listener, nullptr, nullptr);
        if (client == INVALID_SOCKET) return;  // listener closed
        std::lock_guard<std::mutex> guard(m_lock);
        m_openSockets.push_back(client);
        m_clients.emplace_back(&CTestHttpServer::Serve, this, client);
    }
}

bool CTestHttpServer::ReadRequest(SOCKET client, HttpRequest& request) {
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
        int n = recv(client, buffer, sizeof buffer, 0);
        if (n <= 0) return false;
        head.append(buffer, static_cast<std::size_t>(n));
    }
    std::size_t sp1 = head.find(' ');
    std::size_t sp2 = head.find(' ', sp1 + 1);
    if (sp1 == std::string::npos || sp2 == std::string::npos) return false;
    request.method = head.substr(0, sp1);
    request.target = head.substr(sp1 + 1, sp2 - sp1 - 1);
    request.host = HeaderValue(head, "host");
    return true;
}

void CTestHttpServer::SendAll(SOCKET client, const std::string& data) {
    std::size_t sent = 0;
    while (sent < data.size()) {
        int n = send(client, data.data() + sent, static_cast<int>(data.size() - sent), 0);
        if (n <= 0) return;
        sent += static_cast<std::size_t>(n);
    }
}

void CTestHttpServer::Serve(SOCKET client) {
    HttpRequest request;
    if (ReadRequest(client, request)) {
        std::function<HttpReply(const HttpRequest&)> handler;
        ServeMode mode;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            m_requests.push_back(request);
            handler = m_handler;
            mode = m_mode;
            m_changed.notify_all();
        }
        if (mode == ServeMode::Hang) {
            std::unique_lock<std::mutex> guard(m_lock);
            m_changed.wait(guard, [this] { return m_released || m_closing.load(); });
        } else if (mode == ServeMode::Trickle) {
            SendAll(client, "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\n\r\n");
            std::unique_lock<std::mutex> guard(m_lock);
            while (!m_changed.wait_for(guard, std::chrono::milliseconds(20),
                                       [this] { return m_released || m_closing.load(); })) {
                guard.unlock();
                SendAll(client, "x");
                guard.lock();
            }
        } else if (mode == ServeMode::Endless) {
            SendAll(client, "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\n\r\n");
            const std::string chunk(65536, 'e');
            while (!m_released && !m_closing) {
                if (send(client, chunk.data(), static_cast<int>(chunk.size()), 0) <= 0) break;
            }
        } else {
            HttpReply reply = handler ? handler(request) : HttpReply{};
            const std::string location = reply.location.empty() ? "" : "Location: " + reply.location + "\r\n";
            char head[1024];
            std::snprintf(head, sizeof head,
                          "HTTP/1.1 %d OK\r\nContent-Type: %s\r\nContent-Length: %u\r\n%sConnection: close\r\n\r\n",
                          reply.status, reply.contentType.c_str(), static_cast<unsigned>(reply.body.size()),
                          location.c_str());
            SendAll(client, head + reply.body);
        }
    }
    shutdown(client, SD_SEND);
    {
        std::lock_guard<std::mutex> guard(m_lock);
        for (auto it = m_openSockets.begin(); it != m_openSockets.end(); ++it)
            if (*it == client) {
                m_openSockets.erase(it);
                break;
            }
    }
    closesocket(client);
}
