#include "web/page_loader_win.h"

#include <cstring>
#include <mutex>
#include <vector>

#include "base/diagnostic_log.h"
#include "base/exception_barrier.h"
#include "base/run_fence.h"
#include "base/run_state.h"
#include "platform_owners_win.h"
#include "ui/status.h"
#include "web/url_crack.h"

std::atomic<HINTERNET> g_hSession{nullptr};
std::atomic<int64_t> g_tSessionOpened{0};
std::atomic<uint32_t> g_nConnectTimeout{0};
std::atomic<bool> g_bSessionOk{false};

namespace {

const char kFail[] = "fail";
constexpr int kLoadsPerSession = 15;
constexpr DWORD kChunk = 4095;
constexpr int kMaxEmptyReads = 10;

// The shared session, held by every load that uses it. Renewing it only
// lets go of the shared hold: the handle is closed when the last load that
// connected through it is done, never under another thread's feet.
std::mutex s_sessionLock;
CSessionHandle s_session;

// A hold that names the session's handle and keeps its owner alive.
CSessionHandle HoldSession(CWinHttpHandle session) {
    auto owner = std::make_shared<CWinHttpHandle>(std::move(session));
    return CSessionHandle(owner, owner->Get());
}

std::wstring Widen(const std::string& text) {
    if (text.empty()) return std::wstring();
    int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), &wide[0], n);
    return wide;
}

// The WinHTTP errors that name a refused server certificate.
struct CertificateError {
    DWORD dwCode;
    const char* szName;
};
const CertificateError kCertificateErrors[] = {
    {ERROR_WINHTTP_SECURE_FAILURE, "ERROR_WINHTTP_SECURE_FAILURE"},
    {ERROR_WINHTTP_SECURE_CERT_DATE_INVALID, "ERROR_WINHTTP_SECURE_CERT_DATE_INVALID"},
    {ERROR_WINHTTP_SECURE_CERT_CN_INVALID, "ERROR_WINHTTP_SECURE_CERT_CN_INVALID"},
    {ERROR_WINHTTP_SECURE_INVALID_CA, "ERROR_WINHTTP_SECURE_INVALID_CA"},
    {ERROR_WINHTTP_SECURE_INVALID_CERT, "ERROR_WINHTTP_SECURE_INVALID_CERT"},
    {ERROR_WINHTTP_SECURE_CERT_REVOKED, "ERROR_WINHTTP_SECURE_CERT_REVOKED"},
    {ERROR_WINHTTP_SECURE_CERT_REV_FAILED, "ERROR_WINHTTP_SECURE_CERT_REV_FAILED"},
    {ERROR_WINHTTP_SECURE_CERT_WRONG_USAGE, "ERROR_WINHTTP_SECURE_CERT_WRONG_USAGE"},
    {ERROR_WINHTTP_SECURE_CHANNEL_ERROR, "ERROR_WINHTTP_SECURE_CHANNEL_ERROR"},
};

}  // namespace

bool IsCertificateRefusal(DWORD dwError) {
    for (const CertificateError& error : kCertificateErrors)
        if (error.dwCode == dwError) return true;
    return false;
}

namespace {

// One log line per load that a certificate refusal ends, however often
// the send is tried.
void LogCertificateFailure(const char* szUrl, DWORD dwError, bool& bLogged) {
    if (bLogged) return;
    for (const CertificateError& error : kCertificateErrors) {
        if (error.dwCode != dwError) continue;
        g_Log.Printf("Certificate refused for %s: %s (%u)", szUrl, error.szName, static_cast<unsigned>(dwError));
        bLogged = true;
        return;
    }
}

void ShowProgress(const char* szFormat, unsigned nValue, const std::string& host, int nProgress, bool bWithValue) {
    char szStatus[kStatusTextSize];
    if (bWithValue)
        std::snprintf(szStatus, sizeof szStatus, szFormat, nValue, host.c_str());
    else
        std::snprintf(szStatus, sizeof szStatus, szFormat, host.c_str());
    ShowStatus(szStatus, nProgress);
}

}  // namespace

CPageLoader::CPageLoader() { g_bSessionOk = true; }

CPageLoader::~CPageLoader() = default;

void CPageLoader::CloseSession() {
    std::lock_guard<std::mutex> guard(s_sessionLock);
    DropSession();
}

void CPageLoader::DropSession() {
    s_session.reset();
    g_hSession = nullptr;
}

CSessionHandle CPageLoader::MyWinhttpConnection() {
    std::lock_guard<std::mutex> guard(s_sessionLock);
    uint32_t nTimeout = g_nConnectTimeout;
    if (nTimeout != 0) {
        uint32_t nAge = static_cast<uint32_t>(NowSeconds() - g_tSessionOpened);
        g_Log.Printf("elapsedTime = %u, connectTime = %u", nAge, nTimeout);
        if (nAge + nTimeout / 4 >= nTimeout) {
            g_Log.Write("Connection Timeouts");
            DropSession();
        }
    }
    if (!g_bSessionOk) {
        g_Log.Write("Last Winhttp Failure Found");
        DropSession();
    }
    if (!s_session) {
        CWinHttpHandle session = OpenSession();
        HINTERNET hSession = session.Get();
        if (session) s_session = HoldSession(std::move(session));
        g_hSession = hSession;
    }
    g_bSessionOk = true;
    return s_session;
}

CWinHttpHandle CPageLoader::OpenSession() {
    CWinHttpHandle session(WinHttpOpen(L"My WinHTTP Connection", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                       WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    g_tSessionOpened = NowSeconds();
    if (!session) return session;
    const HINTERNET hSession = session.Get();
    // The wait for the response headers too: without it a server that
    // accepts and never answers would hold the run for good.
    WinHttpSetTimeouts(hSession, kResolveTimeoutMs, kConnectTimeoutMs, kSendTimeoutMs, kReceiveTimeoutMs);
    DWORD dwHeaderTimeout = kReceiveTimeoutMs;
    WinHttpSetOption(hSession, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &dwHeaderTimeout, sizeof dwHeaderTimeout);
    DWORD dwTimeout = 0, dwSize = sizeof dwTimeout;
    if (WinHttpQueryOption(hSession, WINHTTP_OPTION_CONNECT_TIMEOUT, &dwTimeout, &dwSize)) {
        g_Log.Printf("Connection timeout: %u ms\n\n", static_cast<unsigned>(dwTimeout));
        g_nConnectTimeout = dwTimeout / 1000;
    }
    return session;
}

std::string CPageLoader::Fail(const char* szStep) {
    if (m_dwError == 0) m_dwError = GetLastError();
    if (szStep) g_Log.Write(szStep);
    g_Log.Printf("Error code = %u", static_cast<unsigned>(GetLastError()));
    g_bSessionOk = false;
    return kFail;
}

bool CPageLoader::SendWithRetries(HINTERNET hRequest, const char* szUrl) {
    bool bCertificateLogged = false;
    for (int nTrial = 1; nTrial <= kSendAttempts; ++nTrial) {
        g_Log.Printf("Calling WinHttpSendRequest, Trial = %d", nTrial);
        if (WinHttpSendRequest(hRequest, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0)) {
            if (WinHttpReceiveResponse(hRequest, nullptr)) return true;
            // A redirect to an https address shakes hands only here.
            m_dwError = GetLastError();
            LogCertificateFailure(szUrl, m_dwError, bCertificateLogged);
            return false;
        }
        m_dwError = GetLastError();
        LogCertificateFailure(szUrl, m_dwError, bCertificateLogged);
        if (nTrial == kSendAttempts) {
            g_Log.Write("Counter reached to 5");
            return false;
        }
        g_Log.Write("WinHttpSendRequest Fail");
        Sleep(kSendPauseMs);
        // Not the stop flag alone, which the next run's start clears: a
        // worker left behind by "Force" stops here for good.
        if (!RunGoesOn()) return false;
    }
    return false;
}

std::string CPageLoader::ReadBody(HINTERNET hRequest, const std::string& host, int nProgress) {
    std::string result;
    unsigned nTotal = 0;
    int nEmptyReads = 0;
    DWORD dwAvailable = 0;
    std::vector<char> buffer(kChunk + 1);
    const uint64_t nStarted = GetTickCount64();
    do {
        dwAvailable = 0;
        if (!WinHttpQueryDataAvailable(hRequest, &dwAvailable) || dwAvailable == 0) break;
        std::memset(buffer.data(), 0, buffer.size());
        // Ask for no more than is there: a read of more may wait for the
        // rest to arrive, which a slow server never sends.
        DWORD dwWanted = dwAvailable < kChunk ? dwAvailable : kChunk;
        DWORD dwRead = 0;
        if (WinHttpReadData(hRequest, buffer.data(), dwWanted, &dwRead)) {
            buffer[dwRead] = '\0';
            // A chunk that holds a zero byte contributes only what precedes it.
            result.append(buffer.data(), std::strlen(buffer.data()));
            nTotal += dwRead;
            ShowProgress("%u bytes received from %s", nTotal, host, nProgress, true);
            nEmptyReads = dwRead == 0 ? nEmptyReads + 1 : 0;
            if (nEmptyReads >= kMaxEmptyReads) break;
            if (result.size() >= kMaxPageBytes) {
                result.resize(kMaxPageBytes);
                g_Log.Printf("Page from %s is larger than 32 MiB; the rest is discarded", host.c_str());
                break;
            }
        }
        if (GetTickCount64() - nStarted >= kMaxBodyReadMs) {
            g_Log.Printf("Page from %s is still coming after 60 s; the rest is discarded", host.c_str());
            break;
        }
    } while (dwAvailable > 0 && RunGoesOn());
    return result;
}

std::string CPageLoader::LoadPage(const char* szUrl, int nProgress) {
    if (!szUrl) return std::string();
    std::string result;
    // The connection and the request are closed before the failure is
    // told: their owners are gone when the barrier has caught it.
    if (!Guarded("Exception in LoadPage", [&] { result = Load(szUrl, nProgress); })) result = Fail(nullptr);
    return result;
}

std::string CPageLoader::Load(const char* szUrl, int nProgress) {
    g_Log.Printf("Loading Page %s", szUrl);
    std::string host, path;
    bool bSecure = false;
    if (!CrackURL(szUrl, host, path, bSecure)) return Fail("CrackURL failed");
    if (++m_nLoadCount >= kLoadsPerSession) CloseSession();
    // Declared before the connection and the request, so that it lets go
    // of the session after they are closed.
    CSessionHandle session = MyWinhttpConnection();
    if (!session) return Fail("WinHttpOpen Fail");
    // A page goes to the scheme's port, whatever the address says; a
    // service (a SearXNG instance on localhost:8080, say) to the one named.
    std::string server = host;
    unsigned nPort = bSecure ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT;
    if (m_bNamedPort) SplitHostPort(host, server, nPort);
    CWinHttpHandle connect(WinHttpConnect(session.get(), Widen(server).c_str(), static_cast<INTERNET_PORT>(nPort), 0));
    ShowProgress("sending request to %s", 0, host, nProgress, false);
    if (!connect) return Fail("WinHttpConnect Fail");
    std::wstring wPath = Widen(path);
    // The certificate is checked as WinHTTP checks it by default: no
    // security flag is ever relaxed.
    const DWORD dwFlags = WINHTTP_FLAG_REFRESH | (bSecure ? WINHTTP_FLAG_SECURE : 0);
    CWinHttpHandle request(WinHttpOpenRequest(connect.Get(), L"GET", wPath.empty() ? nullptr : wPath.c_str(), nullptr,
                                              WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, dwFlags));
    if (!request) return Fail("hRequest is invalid");
    if (!AddHeaders(request.Get())) return Fail("WinHttpAddRequestHeaders Fail");
    if (!SendWithRetries(request.Get(), szUrl)) return Fail("WinHttpReceiveResponse Fail");
    KeepStatus(request.Get());
    return ReadBody(request.Get(), host, nProgress);
}

bool CPageLoader::AddHeaders(HINTERNET hRequest) {
    if (m_headers.empty()) return true;
    return WinHttpAddRequestHeaders(hRequest, m_headers.c_str(), static_cast<DWORD>(-1L),
                                    WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE) != FALSE;
}

void CPageLoader::KeepStatus(HINTERNET hRequest) {
    DWORD dwStatus = 0, dwSize = sizeof dwStatus;
    if (WinHttpQueryHeaders(hRequest, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                            WINHTTP_HEADER_NAME_BY_INDEX, &dwStatus, &dwSize, WINHTTP_NO_HEADER_INDEX))
        m_dwStatus = dwStatus;
}

CPageAnswer CPageLoader::LoadAnswer(const char* szUrl, const std::string& headers, int nProgress) {
    m_headers = Widen(headers);
    m_bNamedPort = true;
    m_dwStatus = 0;
    m_dwError = 0;
    CPageAnswer answer;
    answer.body = LoadPage(szUrl, nProgress);
    m_headers.clear();
    m_bNamedPort = false;
    answer.dwStatus = m_dwStatus;
    answer.dwError = m_dwStatus ? 0 : m_dwError;
    if (!answer.Answered()) answer.body.clear();
    return answer;
}
