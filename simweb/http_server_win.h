#pragma once
// The local web's HTTP/1.1 server: one listening socket per loopback
// address, a thread per open connection (taken from a pool that grows on
// demand) so that a slow or silent client never holds up another, keep-
// alive, and hard limits on what a client may send or make it wait for.
#include <winsock2.h>
// After Winsock, for the socket owner.
#include "platform_owners_win.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "request_router.h"

namespace simweb {

struct HttpRequestHead {
    std::string method;
    std::string target;  // origin form
    std::string host;    // the Host header as sent, empty without one
    HeaderFields fields;
    bool bKeepAlive = false;
    bool bHasBody = false;
};

struct RequestLogEntry {
    std::string host;  // the address the request came in on
    std::string method;
    std::string target;
    int nStatus = 0;
    uint64_t nBytes = 0;  // body bytes sent
};

// A connection as a request handler may drive it directly (for answers
// that are no plain body: endless, trickling, cut off...).
class CConnection {
public:
    CConnection(SOCKET s, const std::atomic<bool>& stopping) : m_socket(s), m_stopping(stopping) {}
    // Sends everything or gives up (client gone, server stopping, or no
    // progress for the send time limit).
    bool SendAll(const char* pData, std::size_t nSize);
    bool SendAll(const std::string& data) { return SendAll(data.data(), data.size()); }
    // Reads what has arrived, waiting until the deadline (a steady-clock
    // time in ms) or a stop: bytes read, 0 when the client closed,
    // kReceiveTimedOut at the deadline or a stop, kReceiveFailed when the
    // connection broke.
    static constexpr int kReceiveFailed = -1;
    static constexpr int kReceiveTimedOut = -2;
    int Receive(char* pBuffer, int nSize, int64_t nDeadlineMs);
    // Waits up to nMs unless the server stops; false when it stops.
    bool Pause(int nMs);
    // Ends the connection with a reset instead of an orderly close.
    void Reset();
    bool Stopping() const { return m_stopping; }
    SOCKET Socket() const { return m_socket; }

private:
    SOCKET m_socket;
    const std::atomic<bool>& m_stopping;
};

struct ServedAnswer {
    HttpAnswer answer;
    // When set, it writes the whole answer itself; the connection closes after it.
    std::function<uint64_t(CConnection&)> custom;
    // When set, called once the answer has gone out (or failed to).
    std::function<void()> afterSent;
    // Closes the connection after the answer, as a server without keep-alive.
    bool bClose = false;
};

// One listening socket: an address and its port.
struct ListenPoint {
    std::string address;
    int nPort = 80;
};

using RequestHandler = std::function<ServedAnswer(int nListener, const HttpRequestHead& head)>;
using LogHandler = std::function<void(const RequestLogEntry& entry)>;

// Milliseconds of the steady clock, the time base of every deadline here.
int64_t SteadyNowMs();

constexpr std::size_t kMaxRequestHead = 32 * 1024;
constexpr int kHeadTimeoutMs = 10000;
// An idle kept-alive connection is closed only after a client has long
// given it up: WinHTTP keeps a pooled connection for tens of seconds and
// sends its next request to the same site on it. Closed sooner, the
// connection may close just as that request arrives, which then fails
// without an answer.
constexpr int kKeepAliveTimeoutMs = 120000;
constexpr int kSendTimeoutMs = 30000;
constexpr std::size_t kMaxConnections = 512;

class CHttpServer {
public:
    CHttpServer() = default;
    ~CHttpServer();
    CHttpServer(const CHttpServer&) = delete;
    CHttpServer& operator=(const CHttpServer&) = delete;

    // Starts Winsock for as long as it serves and listens on every point;
    // false with a reason when one cannot be bound (then nothing listens).
    bool Start(const std::vector<ListenPoint>& points, RequestHandler handler, LogHandler log, std::string& error);
    // Closes the listeners, ends every open connection and waits for the threads.
    void Stop();

private:
    struct Accepted {
        CSocket socket;
        int nListener;
    };
    void AcceptLoop();
    void AcceptFrom(std::size_t nListener);
    void WorkerLoop();
    void Serve(const Accepted& accepted);
    bool ServeOne(CConnection& connection, int nListener, std::string& pending, bool bFirst);
    void Log(int nListener, const HttpRequestHead& head, int nStatus, uint64_t nBytes);

    std::vector<CSocket> m_listeners;
    std::vector<std::string> m_addresses;
    RequestHandler m_handler;
    LogHandler m_log;
    std::thread m_acceptThread;
    std::atomic<bool> m_stopping{false};
    bool m_bWinsock = false;

    std::mutex m_lock;
    std::condition_variable m_queued;
    std::deque<Accepted> m_queue;
    std::vector<std::thread> m_workers;
    std::size_t m_nIdle = 0;
    std::set<SOCKET> m_open;
};

}  // namespace simweb
