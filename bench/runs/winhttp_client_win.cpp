#include "winhttp_client_win.h"

#include <winhttp.h>

#include <chrono>
#include <string>

namespace {

constexpr int kLoadsPerSession = 15;
constexpr DWORD kChunk = 4095;

std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

class CWinHttpSession {
public:
    ~CWinHttpSession() { Close(); }

    // service: the secure service the request goes to, or null for a
    // plain http page.
    bool Get(const std::string& host, const std::string& target, const SecureService* lpService, int nStatus) {
        if (++m_nLoads % kLoadsPerSession == 0 || !m_bLastOk) Close();
        if (!m_hSession)
            m_hSession = WinHttpOpen(L"My WinHTTP Connection", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                     WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
        m_bLastOk = m_hSession && Load(host, target, lpService, nStatus);
        return m_bLastOk;
    }

private:
    bool Load(const std::string& host, const std::string& target, const SecureService* lpService, int nStatus) {
        const INTERNET_PORT nPort = lpService ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT;
        HINTERNET hConnect = WinHttpConnect(m_hSession, Widen(host).c_str(), nPort, 0);
        if (!hConnect) return false;
        const DWORD dwFlags = WINHTTP_FLAG_REFRESH | (lpService ? WINHTTP_FLAG_SECURE : 0);
        HINTERNET hRequest = WinHttpOpenRequest(hConnect, L"GET", Widen(target).c_str(), nullptr, WINHTTP_NO_REFERER,
                                                WINHTTP_DEFAULT_ACCEPT_TYPES, dwFlags);
        const std::wstring headers = lpService ? Widen(lpService->headers) : std::wstring();
        bool bOk = hRequest &&
                   (headers.empty() || WinHttpAddRequestHeaders(hRequest, headers.c_str(), static_cast<DWORD>(-1L),
                                                                WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE)) &&
                   WinHttpSendRequest(hRequest, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) &&
                   WinHttpReceiveResponse(hRequest, nullptr) && (!lpService || Status(hRequest) == nStatus) &&
                   ReadBody(hRequest);
        if (hRequest) WinHttpCloseHandle(hRequest);
        WinHttpCloseHandle(hConnect);
        return bOk;
    }

    static int Status(HINTERNET hRequest) {
        DWORD dwStatus = 0, dwSize = sizeof dwStatus;
        if (!WinHttpQueryHeaders(hRequest, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                                 WINHTTP_HEADER_NAME_BY_INDEX, &dwStatus, &dwSize, WINHTTP_NO_HEADER_INDEX))
            return 0;
        return static_cast<int>(dwStatus);
    }

    // The body in the program's chunk size, up to its end.
    static bool ReadBody(HINTERNET hRequest) {
        char buffer[kChunk + 1];
        std::string body;
        DWORD dwAvailable = 0;
        while (WinHttpQueryDataAvailable(hRequest, &dwAvailable) && dwAvailable > 0) {
            DWORD dwRead = 0;
            if (!WinHttpReadData(hRequest, buffer, dwAvailable < kChunk ? dwAvailable : kChunk, &dwRead)) return false;
            body.append(buffer, dwRead);
        }
        return true;
    }

    void Close() {
        if (m_hSession) WinHttpCloseHandle(m_hSession);
        m_hSession = nullptr;
    }

    HINTERNET m_hSession = nullptr;
    int m_nLoads = 0;
    bool m_bLastOk = true;
};

}  // namespace

ReplayResult ReplayRequestsWinHttp(const std::vector<simweb::RequestLogEntry>& requests,
                                   const std::vector<SecureService>& secure) {
    ReplayResult result{0.0, 0};
    CWinHttpSession session;
    const auto start = std::chrono::steady_clock::now();
    for (const simweb::RequestLogEntry& request : requests) {
        const SecureService* lpService = nullptr;
        for (const SecureService& service : secure)
            if (service.host == request.host) lpService = &service;
        if (!session.Get(request.host, request.target, lpService, request.nStatus)) ++result.nFailed;
    }
    result.dSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return result;
}
