#pragma once
// One address served as its owner scripts it, on the local web's server:
// for test programs that need a site, an engine or a WhoIs service to give
// a chosen answer (a body, a status, a redirect) or to misbehave (never
// answer, trickle, never end) until released, and that check which
// requests came and when.
#include "http_server_win.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace simweb {

enum class ScriptedMode {
    Answer,   // the handler's answer
    Hang,     // read the request, never answer until released
    Trickle,  // the head, then one byte every few milliseconds until released
    Endless,  // the head, then a body that never ends (as fast as it goes)
};

using ScriptedHandler = std::function<HttpAnswer(const HttpRequestHead& request)>;

class CScriptedServer {
public:
    explicit CScriptedServer(std::string address, int nPort = 80);
    ~CScriptedServer();
    CScriptedServer(const CScriptedServer&) = delete;
    CScriptedServer& operator=(const CScriptedServer&) = delete;

    // Starts listening; false when the address cannot be bound.
    bool Listen();
    // Stops serving: new connections are refused, open ones end.
    void StopListening();

    void SetHandler(ScriptedHandler handler);
    // Serves the same body for every path (at first a small page).
    void ServeBody(const std::string& body);
    void SetMode(ScriptedMode mode);
    // Ends every hanging, trickling or endless answer.
    void Release();

    // Every request as it arrived, before its answer.
    std::vector<HttpRequestHead> Requests() const;
    std::size_t RequestCount() const;
    // Waits until at least n requests arrived; false after the time limit.
    bool WaitForRequests(std::size_t n, int nTimeoutMs);

private:
    ServedAnswer Serve(const HttpRequestHead& request);
    uint64_t Hang(CConnection& connection) const;
    uint64_t Trickle(CConnection& connection) const;
    uint64_t Endless(CConnection& connection) const;

    ListenPoint m_point;
    CHttpServer m_server;
    ScriptedHandler m_handler;
    ScriptedMode m_mode = ScriptedMode::Answer;
    std::vector<HttpRequestHead> m_requests;
    std::atomic<bool> m_released{false};
    mutable std::mutex m_lock;
    std::condition_variable m_arrived;
};

}  // namespace simweb
