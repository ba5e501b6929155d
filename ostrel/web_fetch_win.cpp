#include "web_fetch_win.h"

#include <vector>

#include "platform_owners_win.h"

namespace {

constexpr DWORD kChunkSize = 512;
const char kUserAgent[] = "Microsoft Internet Explorer";

// WinINet's waits (connect, send, receive) cut to what the deadline leaves.
void CutWaits(HINTERNET hSession, DWORD dwDeadline) {
    if (dwDeadline == kNoDeadline) return;
    DWORD dwLeft = TimeLeft(dwDeadline);
    if (dwLeft == 0) dwLeft = 1;
    for (DWORD dwOption : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
        InternetSetOptionA(hSession, dwOption, &dwLeft, sizeof dwLeft);
}

std::string QueryText(HINTERNET hRequest, DWORD dwInfo) {
    std::vector<char> text(256);
    DWORD dwSize = static_cast<DWORD>(text.size());
    if (!HttpQueryInfoA(hRequest, dwInfo, text.data(), &dwSize, nullptr)) return std::string();
    return std::string(text.data(), dwSize);
}

// The status, the Retry-After header and the body, read within the bounds.
void ReadAnswer(HINTERNET hRequest, std::size_t nMaxBytes, DWORD dwDeadline, CFetchedAnswer& answer) {
    DWORD dwStatus = 0, dwSize = sizeof dwStatus;
    if (HttpQueryInfoA(hRequest, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &dwStatus, &dwSize, nullptr))
        answer.dwStatus = dwStatus;
    answer.retryAfter = QueryText(hRequest, HTTP_QUERY_RETRY_AFTER);
    answer.body.reserve(4000);
    char chunk[kChunkSize];
    DWORD dwRead = 0;
    while (answer.body.size() < nMaxBytes && (dwDeadline == kNoDeadline || TimeLeft(dwDeadline) > 0)) {
        if (!InternetReadFile(hRequest, chunk, sizeof chunk, &dwRead)) return;
        if (dwRead == 0) {
            answer.bWhole = true;
            return;
        }
        answer.body.append(chunk, dwRead);
    }
}

}  // namespace

DWORD TimeLeft(DWORD dwDeadline) {
    const LONG nLeft = static_cast<LONG>(dwDeadline - GetTickCount());
    return nLeft > 0 ? static_cast<DWORD>(nLeft) : 0;
}

HINTERNET OpenFetchSession() { return InternetOpenA(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0); }

bool FetchPage(HINTERNET hSession, const char* szAddress, const char* szHeaders, CFetchedAnswer& answer) {
    answer = CFetchedAnswer();
    CInternetHandle request(InternetOpenUrlA(hSession, szAddress, szHeaders, static_cast<DWORD>(-1),
                                             INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0));
    if (!request) return false;
    ReadAnswer(request.Get(), static_cast<std::size_t>(-1), kNoDeadline, answer);
    return true;
}

bool FetchTyped(HINTERNET hSession, const std::string& address, const char* szAccept, std::size_t nMaxBytes,
                DWORD dwDeadline, CFetchedAnswer& answer) {
    answer = CFetchedAnswer();
    char szHost[256] = {}, szPath[2048] = {};
    URL_COMPONENTSA parts{};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = szHost;
    parts.dwHostNameLength = sizeof szHost;
    parts.lpszUrlPath = szPath;
    parts.dwUrlPathLength = sizeof szPath;
    if (!InternetCrackUrlA(address.c_str(), 0, 0, &parts) ||
        (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS))
        return false;
    CutWaits(hSession, dwDeadline);
    CInternetHandle connection(
        InternetConnectA(hSession, szHost, parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) return false;
    const char* accept[] = {szAccept, nullptr};
    DWORD dwFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_COOKIES;
    if (parts.nScheme == INTERNET_SCHEME_HTTPS) dwFlags |= INTERNET_FLAG_SECURE;
    CInternetHandle request(HttpOpenRequestA(connection.Get(), "GET", szPath, nullptr, nullptr, accept, dwFlags, 0));
    if (!request || !HttpSendRequestA(request.Get(), nullptr, 0, nullptr, 0)) return false;
    ReadAnswer(request.Get(), nMaxBytes, dwDeadline, answer);
    return true;
}
