#include "http_server_win.h"

#include <ws2tcpip.h>

#include <chrono>
#include <cstdio>

#include "sim_text.h"

namespace simweb {

namespace {

constexpr int kPollSliceMs = 200;
constexpr std::size_t kSendChunk = 64 * 1024;
constexpr int kDrainMs = 1000;

enum class HeadResult { Ok, Closed, TimedOut, TooLarge, Malformed };

int64_t NowMs() { return SteadyNowMs(); }

const char* Reason(int nStatus) {
    switch (nStatus) {
        case 200: return "OK";
        case 301: return "Moved Permanently";
        case 302: return "Found";
        case 400: return "Bad Request";
        case 401: return "Unauthorized";
        case 403: return "Forbidden";
        case 404: return "Not Found";
        case 405: return "Method Not Allowed";
        case 408: return "Request Timeout";
        case 414: return "URI Too Long";
        case 422: return "Unprocessable Entity";
        case 429: return "Too Many Requests";
        case 431: return "Request Header Fields Too Large";
        case 500: return "Internal Server Error";
        case 501: return "Not Implemented";
        case 503: return "Service Unavailable";
        default: return "Unknown";
    }
}

void SetBlocking(SOCKET s, bool bBlocking) {
    u_long nNonBlocking = bBlocking ? 0 : 1;
    ioctlsocket(s, FIONBIO, &nNonBlocking);
}

void SetTimeout(SOCKET s, int nOption, DWORD nMs) {
    setsockopt(s, SOL_SOCKET, nOption, reinterpret_cast<const char*>(&nMs), sizeof nMs);
}

// Every field of the head by lower-case name; a repeated field keeps its
// first value.
HeaderFields ReadFields(const std::string& head) {
    HeaderFields fields;
    for (std::size_t pos = head.find('\n'); pos != std::string::npos && pos + 1 < head.size();) {
        std::size_t end = head.find('\n', pos + 1);
        std::string line = head.substr(pos + 1, end == std::string::npos ? std::string::npos : end - pos - 1);
        pos = end;
        std::size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        std::string value = line.substr(colon + 1);
        std::size_t first = value.find_first_not_of(" \t");
        std::size_t last = value.find_last_not_of(" \t\r");
        fields.emplace(ToLower(line.substr(0, colon)),
                       first == std::string::npos ? std::string() : value.substr(first, last - first + 1));
    }
    return fields;
}

std::string FieldValue(const HeaderFields& fields, const char* szName) {
    auto it = fields.find(szName);
    return it == fields.end() ? std::string() : it->second;
}

std::size_t HeadEnd(const std::string& pending, std::size_t& nSeparator) {
    std::size_t crlf = pending.find("\r\n\r\n"), lf = pending.find("\n\n");
    if (crlf != std::string::npos && (lf == std::string::npos || crlf < lf)) {
        nSeparator = 4;
        return crlf;
    }
    nSeparator = 2;
    return lf;
}

// Origin form of a target; empty when it is neither origin nor absolute form.
std::string OriginForm(const std::string& target) {
    if (StartsWith(target, "/")) return target;
    if (!StartsWithNoCase(target, "http://")) return std::string();
    std::size_t slash = target.find_first_of("/?", 7);
    if (slash == std::string::npos) return "/";
    return target[slash] == '?' ? "/" + target.substr(slash) : target.substr(slash);
}

bool ParseHead(const std::string& text, HttpRequestHead& head) {
    std::size_t lineEnd = text.find('\n');
    std::string line = text.substr(0, lineEnd);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::size_t sp1 = line.find(' ');
    std::size_t sp2 = sp1 == std::string::npos ? std::string::npos : line.rfind(' ');
    if (sp1 == std::string::npos || sp2 <= sp1) return false;
    std::string version = line.substr(sp2 + 1);
    if (!StartsWith(version, "HTTP/1.")) return false;
    head.method = line.substr(0, sp1);
    head.target = OriginForm(line.substr(sp1 + 1, sp2 - sp1 - 1));
    if (head.method.empty() || head.target.empty()) return false;
    head.fields = ReadFields(text);
    head.host = FieldValue(head.fields, "host");
    std::string connection = ToLower(FieldValue(head.fields, "connection"));
    head.bKeepAlive = version == "HTTP/1.1" ? connection.find("close") == std::string::npos
                                            : connection.find("keep-alive") != std::string::npos;
    std::string length = FieldValue(head.fields, "content-length");
    head.bHasBody = (!length.empty() && length != "0") || !FieldValue(head.fields, "transfer-encoding").empty();
    return true;
}

HeadResult ReadHead(CConnection& connection, std::string& pending, HttpRequestHead& head, int nTimeoutMs) {
    int64_t nDeadline = NowMs() + nTimeoutMs;
    char buffer[4096];
    for (;;) {
        std::size_t nSeparator = 0;
        std::size_t end = HeadEnd(pending, nSeparator);
        if (end != std::string::npos) {
            std::string text = pending.substr(0, end + nSeparator);
            pending.erase(0, end + nSeparator);
            return ParseHead(text, head) ? HeadResult::Ok : HeadResult::Malformed;
        }
        if (pending.size() > kMaxRequestHead) return HeadResult::TooLarge;
        int n = connection.Receive(buffer, sizeof buffer, nDeadline);
        if (n == 0) return pending.empty() ? HeadResult::Closed : HeadResult::Malformed;
        if (n < 0) return pending.empty() || n == CConnection::kReceiveFailed ? HeadResult::Closed : HeadResult::TimedOut;
        pending.append(buffer, static_cast<std::size_t>(n));
    }
}

std::string StatusHead(int nStatus, const HttpAnswer& answer, std::size_t nLength, bool bKeepAlive) {
    char szHead[512];
    std::snprintf(szHead, sizeof szHead,
                  "HTTP/1.1 %d %s\r\nServer: simweb\r\nContent-Type: %s\r\nContent-Length: %zu\r\nConnection: %s\r\n",
                  nStatus, Reason(nStatus), answer.contentType.c_str(), nLength, bKeepAlive ? "keep-alive" : "close");
    std::string head = szHead;
    if (!answer.location.empty()) head += "Location: " + answer.location + "\r\n";
    if (!answer.retryAfter.empty()) head += "Retry-After: " + answer.retryAfter + "\r\n";
    return head + "\r\n";
}

HttpAnswer ErrorAnswer(int nStatus) {
    HttpAnswer answer;
    answer.nStatus = nStatus;
    answer.body = "<html><body><h1>" + std::to_string(nStatus) + " " + Reason(nStatus) + "</h1></body></html>\n";
    return answer;
}

}  // namespace

// Connections are blocking sockets whose reads give up after a short
// slice, so that a read notices a stop or its deadline; polling before
// every read costs far more under Wine.
int CConnection::Receive(char* pBuffer, int nSize, int64_t nDeadlineMs) {
    for (;;) {
        int n = recv(m_socket, pBuffer, nSize, 0);
        if (n >= 0) return n;
        if (WSAGetLastError() != WSAETIMEDOUT) return kReceiveFailed;
        if (m_stopping || NowMs() >= nDeadlineMs) return kReceiveTimedOut;
    }
}

int64_t SteadyNowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool CConnection::Pause(int nMs) {
    int64_t nDeadline = NowMs() + nMs;
    while (!m_stopping) {
        int64_t nLeft = nDeadline - NowMs();
        if (nLeft <= 0) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(nLeft < kPollSliceMs ? nLeft : kPollSliceMs));
    }
    return false;
}

bool CConnection::SendAll(const char* pData, std::size_t nSize) {
    std::size_t nSent = 0;
    while (nSent < nSize) {
        int nChunk = static_cast<int>(nSize - nSent < kSendChunk ? nSize - nSent : kSendChunk);
        int n = send(m_socket, pData + nSent, nChunk, 0);
        if (n <= 0 || m_stopping) return false;
        nSent += static_cast<std::size_t>(n);
    }
    return true;
}

void CConnection::Reset() {
    linger hard{1, 0};
    setsockopt(m_socket, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&hard), sizeof hard);
}

CHttpServer::~CHttpServer() { Stop(); }

bool CHttpServer::Start(const std::vector<ListenPoint>& points, RequestHandler handler, LogHandler log,
                        std::string& error) {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        error = "Winsock cannot start";
        return false;
    }
    m_bWinsock = true;
    m_handler = std::move(handler);
    m_log = std::move(log);
    m_stopping = false;
    for (const ListenPoint& point : points) {
        const std::string& address = point.address;
        const int nPort = point.nPort;
        CSocket listener(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
        const SOCKET s = listener.Get();
        BOOL bReuse = TRUE;
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(static_cast<u_short>(nPort));
        bool bOk = s != INVALID_SOCKET && inet_pton(AF_INET, address.c_str(), &addr.sin_addr) == 1;
        if (bOk) setsockopt(s, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&bReuse), sizeof bReuse);
        bOk = bOk && bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 && listen(s, SOMAXCONN) == 0;
        if (!bOk) {
            error = "cannot listen on " + address + ":" + std::to_string(nPort) + " (error " +
                    std::to_string(WSAGetLastError()) + ")";
            Stop();
            return false;
        }
        SetBlocking(s, false);
        m_listeners.push_back(std::move(listener));
        m_addresses.push_back(address);
    }
    m_acceptThread = std::thread(&CHttpServer::AcceptLoop, this);
    return true;
}

void CHttpServer::Stop() {
    m_stopping = true;
    if (m_acceptThread.joinable()) m_acceptThread.join();
    m_listeners.clear();
    m_addresses.clear();
    std::vector<std::thread> workers;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        for (SOCKET s : m_open) shutdown(s, SD_BOTH);
        m_queue.clear();
        workers.swap(m_workers);
        m_queued.notify_all();
    }
    for (std::thread& worker : workers) worker.join();
    m_nIdle = 0;
    if (m_bWinsock) WSACleanup();
    m_bWinsock = false;
}

void CHttpServer::AcceptLoop() {
    std::vector<WSAPOLLFD> fds(m_listeners.size());
    for (std::size_t i = 0; i < fds.size(); ++i) {
        fds[i].fd = m_listeners[i].Get();
        fds[i].events = POLLRDNORM;
    }
    while (!m_stopping) {
        for (WSAPOLLFD& fd : fds) fd.revents = 0;
        int n = WSAPoll(fds.data(), static_cast<ULONG>(fds.size()), kPollSliceMs);
        if (n <= 0) continue;
        for (std::size_t i = 0; i < fds.size(); ++i)
            if (fds[i].revents) AcceptFrom(i);
    }
}

void CHttpServer::AcceptFrom(std::size_t nListener) {
    for (;;) {
        CSocket accepted(accept(m_listeners[nListener].Get(), nullptr, nullptr));
        if (!accepted) return;
        const SOCKET s = accepted.Get();
        SetBlocking(s, true);
        SetTimeout(s, SO_RCVTIMEO, kPollSliceMs);
        SetTimeout(s, SO_SNDTIMEO, kSendTimeoutMs);
        BOOL bNoDelay = TRUE;
        setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&bNoDelay), sizeof bNoDelay);
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_open.size() + m_queue.size() >= kMaxConnections) {
            continue;  // full: the client sees the connection closed at once
        }
        m_queue.push_back({std::move(accepted), static_cast<int>(nListener)});
        if (m_queue.size() > m_nIdle) m_workers.emplace_back(&CHttpServer::WorkerLoop, this);
        m_queued.notify_one();
    }
}

void CHttpServer::WorkerLoop() {
    for (;;) {
        Accepted accepted;
        {
            std::unique_lock<std::mutex> guard(m_lock);
            ++m_nIdle;
            m_queued.wait(guard, [this] { return m_stopping || !m_queue.empty(); });
            --m_nIdle;
            if (m_stopping) return;
            accepted = std::move(m_queue.front());
            m_queue.pop_front();
            m_open.insert(accepted.socket.Get());
        }
        Serve(accepted);
        std::lock_guard<std::mutex> guard(m_lock);
        // Closed under the lock: Stop must never shut down a number that
        // the system has handed out again.
        m_open.erase(accepted.socket.Get());
        accepted.socket.Reset();
    }
}

void CHttpServer::Serve(const Accepted& accepted) {
    CConnection connection(accepted.socket.Get(), m_stopping);
    std::string pending;
    bool bFirst = true;
    try {
        while (!m_stopping && ServeOne(connection, accepted.nListener, pending, bFirst)) bFirst = false;
    } catch (...) {
        // A fault in one answer ends that connection only.
    }
    shutdown(accepted.socket.Get(), SD_SEND);
}

// One request and its answer; false when the connection is to end.
bool CHttpServer::ServeOne(CConnection& connection, int nListener, std::string& pending, bool bFirst) {
    HttpRequestHead head;
    HeadResult result = ReadHead(connection, pending, head, bFirst ? kHeadTimeoutMs : kKeepAliveTimeoutMs);
    if (result == HeadResult::Closed) return false;
    if (result != HeadResult::Ok) {
        int nStatus = result == HeadResult::TooLarge ? (pending.find('\n') == std::string::npos ? 414 : 431)
                      : result == HeadResult::TimedOut ? 408 : 400;
        HttpAnswer answer = ErrorAnswer(nStatus);
        connection.SendAll(StatusHead(nStatus, answer, answer.body.size(), false) + answer.body);
        head.target = pending.substr(0, 80);
        Log(nListener, head, nStatus, answer.body.size());
        // Read what the client still sends, so that it sees the answer
        // instead of a reset.
        char buffer[4096];
        shutdown(connection.Socket(), SD_SEND);
        int64_t nDrainEnd = NowMs() + kDrainMs;
        while (connection.Receive(buffer, sizeof buffer, nDrainEnd) > 0) {
        }
        return false;
    }
    bool bHead = head.method == "HEAD";
    ServedAnswer served;
    if (head.method != "GET" && !bHead) {
        served.answer = ErrorAnswer(405);
    } else {
        served = m_handler(nListener, head);
    }
    if (served.custom) {
        uint64_t nBytes = served.custom(connection);
        Log(nListener, head, served.answer.nStatus, nBytes);
        return false;
    }
    bool bKeepAlive = head.bKeepAlive && !head.bHasBody && !served.bClose;
    const HttpAnswer& answer = served.answer;
    std::string data = StatusHead(answer.nStatus, answer, answer.body.size(), bKeepAlive);
    if (!bHead) data += answer.body;
    bool bSent = connection.SendAll(data);
    Log(nListener, head, answer.nStatus, bSent && !bHead ? answer.body.size() : 0);
    if (served.afterSent) served.afterSent();
    return bSent && bKeepAlive;
}

void CHttpServer::Log(int nListener, const HttpRequestHead& head, int nStatus, uint64_t nBytes) {
    if (!m_log) return;
    RequestLogEntry entry;
    entry.host = m_addresses[static_cast<std::size_t>(nListener)];
    entry.method = head.method;
    entry.target = head.target;
    entry.nStatus = nStatus;
    entry.nBytes = nBytes;
    m_log(entry);
}

}  // namespace simweb
