#pragma once
// A small HTTP server on a thread of the test program itself (Winsock), on
// port 80 of one loopback address, scriptable per test so that it can fail
// on purpose: refuse, hang, send an empty body or zero bytes, trickle.
// Another port serves as the plain side of a TLS front.
#include <winsock2.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

struct HttpRequest {
    std::string method;
    std::string target;  // path and query as sent
    std::string host;    // Host header
};

struct HttpReply {
    HttpReply(int nStatus = 200, std::string szBody = std::string(), std::string szType = "text/html")
        : status(nStatus), body(std::move(szBody)), contentType(std::move(szType)) {}
    int status;
    std::string body;
    std::string contentType;
    std::string location;  // a Location header when not empty
};

enum class ServeMode {
    Normal,   // the handler's reply
    Hang,     // accept, read the request, never answer until released
    Trickle,  // headers, then one byte every few milliseconds until released
    Endless,  // headers, then a body that never ends (as fast as it goes)
};

class CTestHttpServer {
public:
    explicit CTestHttpServer(const char* szAddress, int nPort = 80);
    ~CTestHttpServer();
    CTestHttpServer(const CTestHttpServer&) = delete;
    CTestHttpServer& operator=(const CTestHttpServer&) = delete;

    // Starts listening; false when the address cannot be bound.
    bool Listen();
    // Closes the listening socket: new connections are refused.
    void StopListening();

    void SetHandler(std::function<HttpReply(const HttpRequest&)> handler);
    // Serves the same body for every path.
    void ServeBody(const std::string& body);
    void SetMode(ServeMode mode);
    // Ends every hanging or trickling answer.
    void Release();

    std::vector<HttpRequest> Requests() const;
    std::size_t RequestCount() const;
    // Waits until at least n requests arrived; false after the time limit.
    bool WaitForRequests(std::size_t n, int nTimeoutMs);
    std::string Address() const { return m_address; }

private:
    void AcceptLoop(SOCKET listener);
    void Serve(SOCKET client);
    bool ReadRequest(SOCKET client, HttpRequest& request);
    void SendAll(SOCKET client, const std::string& data);

    std::string m_address;
    int m_nPort;
    SOCKET m_listener = INVALID_SOCKET;
    std::thread m_acceptThread;
    std::vector<std::thread> m_clients;
    std::vector<SOCKET> m_openSockets;
    std::function<HttpReply(const HttpRequest&)> m_handler;
    ServeMode m_mode = ServeMode::Normal;
    std::vector<HttpRequest> m_requests;
    std::atomic<bool> m_released{false};
    std::atomic<bool> m_closing{false};
    mutable std::mutex m_lock;
    std::condition_variable m_changed;
};
