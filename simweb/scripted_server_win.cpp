#include "scripted_server_win.h"

#include <chrono>

namespace simweb {

namespace {

constexpr int kTrickleMs = 20;
constexpr std::size_t kEndlessChunk = 64 * 1024;

// The head of an answer whose end only the closed connection tells.
const char kOpenEndedHead[] = "HTTP/1.1 200 OK\r\nServer: simweb\r\nContent-Type: text/html\r\nConnection: close\r\n\r\n";

}  // namespace

CScriptedServer::CScriptedServer(std::string address, int nPort) : m_point{std::move(address), nPort} {
    ServeBody("<html><body>ok</body></html>");
}

CScriptedServer::~CScriptedServer() { StopListening(); }

bool CScriptedServer::Listen() {
    std::string error;
    return m_server.Start({m_point}, [this](int, const HttpRequestHead& request) { return Serve(request); }, nullptr,
                          error);
}

void CScriptedServer::StopListening() {
    Release();
    m_server.Stop();
}

void CScriptedServer::SetHandler(ScriptedHandler handler) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_handler = std::move(handler);
}

void CScriptedServer::ServeBody(const std::string& body) {
    SetHandler([body](const HttpRequestHead&) { return MakeAnswer(200, body); });
}

void CScriptedServer::SetMode(ScriptedMode mode) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_mode = mode;
    m_released = false;
}

void CScriptedServer::Release() { m_released = true; }

std::vector<HttpRequestHead> CScriptedServer::Requests() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_requests;
}

std::size_t CScriptedServer::RequestCount() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_requests.size();
}

bool CScriptedServer::WaitForRequests(std::size_t n, int nTimeoutMs) {
    std::unique_lock<std::mutex> guard(m_lock);
    return m_arrived.wait_for(guard, std::chrono::milliseconds(nTimeoutMs), [&] { return m_requests.size() >= n; });
}

ServedAnswer CScriptedServer::Serve(const HttpRequestHead& request) {
    ScriptedHandler handler;
    ScriptedMode mode;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_requests.push_back(request);
        handler = m_handler;
        mode = m_mode;
        m_arrived.notify_all();
    }
    // A connection per request: a client then never meets a kept-alive
    // connection that a server of an earlier test closed.
    ServedAnswer served;
    served.bClose = true;
    switch (mode) {
        case ScriptedMode::Answer: served.answer = handler(request); break;
        case ScriptedMode::Hang: served.custom = [this](CConnection& c) { return Hang(c); }; break;
        case ScriptedMode::Trickle: served.custom = [this](CConnection& c) { return Trickle(c); }; break;
        case ScriptedMode::Endless: served.custom = [this](CConnection& c) { return Endless(c); }; break;
    }
    return served;
}

uint64_t CScriptedServer::Hang(CConnection& connection) const {
    while (!m_released && connection.Pause(kTrickleMs)) {
    }
    return 0;
}

uint64_t CScriptedServer::Trickle(CConnection& connection) const {
    uint64_t nSent = 0;
    if (!connection.SendAll(kOpenEndedHead)) return 0;
    while (!m_released && connection.Pause(kTrickleMs) && connection.SendAll("x", 1)) ++nSent;
    return nSent;
}

uint64_t CScriptedServer::Endless(CConnection& connection) const {
    static const std::string kChunk(kEndlessChunk, 'e');
    uint64_t nSent = 0;
    if (!connection.SendAll(kOpenEndedHead)) return 0;
    while (!m_released && connection.SendAll(kChunk)) nSent += kChunk.size();
    return nSent;
}

}  // namespace simweb
