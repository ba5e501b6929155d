#pragma once
// Every page load of the main program: a plain GET (http or https) through
// one shared WinHTTP session, returned as the body's bytes or the text "fail".
#include <windows.h>
#include <winhttp.h>

#include <atomic>
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>

#include "platform_owners_win.h"

// Shared session state. Runs load one page at a time, but an evaluation
// left behind by "Force", or a Top-20 run, may load while another thread
// does: the values are atomic, and the session itself is held by every
// load that uses it (g_hSession names the current one).
extern std::atomic<HINTERNET> g_hSession;
extern std::atomic<int64_t> g_tSessionOpened;
extern std::atomic<uint32_t> g_nConnectTimeout;
extern std::atomic<bool> g_bSessionOk;

// Bodies beyond this are cut: an endless or huge answer must not exhaust
// the program's memory.
constexpr std::size_t kMaxPageBytes = 32u * 1024u * 1024u;
// A body that is still coming after this long is cut where it stands: a
// server that trickles a byte at a time would otherwise hold the run for
// as long as it likes.
constexpr uint64_t kMaxBodyReadMs = 60000;

// The loader's own time-outs: WinHTTP's documented defaults, set so that
// every platform's client applies them, and a name resolution that WinHTTP
// would leave unlimited.
constexpr uint32_t kResolveTimeoutMs = 15000;
constexpr uint32_t kConnectTimeoutMs = 60000;
constexpr uint32_t kSendTimeoutMs = 30000;
constexpr uint32_t kReceiveTimeoutMs = 30000;
constexpr int kSendAttempts = 5;
constexpr uint32_t kSendPauseMs = 1000;
// WinHTTP follows up to this many redirects inside one receive, each a
// request of its own (its default, left as it is).
constexpr uint64_t kAutomaticRedirects = 10;
// One request on its way out: the name, the connection, the request sent.
constexpr uint64_t kRequestOutMs = uint64_t{kResolveTimeoutMs} + kConnectTimeoutMs + kSendTimeoutMs;
// The longest one load can take before its own time-outs end it: every
// send attempt and the pauses between them, the response, every redirect
// with its response, the body, and a last read that waits for data after
// the body's time has run out.
constexpr uint64_t kLoadTimeoutsMs = kSendAttempts * kRequestOutMs + (kSendAttempts - 1) * uint64_t{kSendPauseMs} +
                                     kReceiveTimeoutMs + kAutomaticRedirects * (kRequestOutMs + kReceiveTimeoutMs) +
                                     kMaxBodyReadMs + kReceiveTimeoutMs;

// Whether a failed load's error names a refused server certificate.
bool IsCertificateRefusal(DWORD dwError);

// A hold on a WinHTTP session: the handle is closed when the last hold goes.
using CSessionHandle = std::shared_ptr<void>;

// What a service answered: its status and body, or, when no answer came,
// the error of the step that failed (a refused certificate, say).
struct CPageAnswer {
    std::string body;
    DWORD dwStatus = 0;  // 0: no answer came
    DWORD dwError = 0;   // the failed step's error when no answer came
    bool Answered() const { return dwStatus != 0; }
};

class CPageLoader {
public:
    CPageLoader();
    virtual ~CPageLoader();

    // The body, "fail" when the load failed, empty for a null address or an
    // empty body. A load stops early on a stop request, and for good once
    // the run of the calling thread has ended (a worker "Force" left behind
    // must not go on loading inside the next run).
    std::string LoadPage(const char* szUrl, int nProgress);
    // A service's answer on the same road, with request headers of its own
    // (lines ended by "\r\n"; never logged, since they may hold a key),
    // sent to the port the address names.
    CPageAnswer LoadAnswer(const char* szUrl, const std::string& headers, int nProgress);
    // The shared session, opened or renewed as needed; empty when WinHTTP
    // has none.
    CSessionHandle MyWinhttpConnection();
    // Lets go of the shared session; loads still using it keep it open.
    void CloseSession();
    int LoadCount() const { return m_nLoadCount; }

private:
    // A new session with its time-outs set; empty when WinHTTP has none.
    static CWinHttpHandle OpenSession();
    // CloseSession with the session lock held.
    static void DropSession();
    // The steps of LoadPage; a failure that throws is caught around them.
    std::string Load(const char* szUrl, int nProgress);
    // Logs the failed step (when named) with the last error, marks the
    // session for renewal and answers "fail".
    std::string Fail(const char* szStep);
    bool SendWithRetries(HINTERNET hRequest, const char* szUrl);
    // The request's headers added, its answer's status kept.
    bool AddHeaders(HINTERNET hRequest);
    void KeepStatus(HINTERNET hRequest);
    std::string ReadBody(HINTERNET hRequest, const std::string& host, int nProgress);

    int m_nLoadCount = 0;
    // The request headers and the answer of the load in hand.
    std::wstring m_headers;
    bool m_bNamedPort = false;
    DWORD m_dwStatus = 0;
    DWORD m_dwError = 0;
};
