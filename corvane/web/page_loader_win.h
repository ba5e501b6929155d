#pragma once
// Every HTTP page load of the main program: a plain GET through one shared
// WinHTTP session, returned as the body's bytes or the text "fail".
#include <windows.h>
#include <winhttp.h>

#include <cstdint>
#include <ctime>
#include <string>

// Shared session state (one load at a time; see the run controller).
extern HINTERNET g_hSession;
extern int64_t g_tSessionOpened;
extern uint32_t g_nConnectTimeout;
extern bool g_bSessionOk;

// Bodies beyond this are cut: an endless or huge answer must not exhaust
// the program's memory.
constexpr std::size_t kMaxPageBytes = 32u * 1024u * 1024u;

class CPageLoader {
public:
    CPageLoader();
    virtual ~CPageLoader();

    // The body, "fail" when the load failed, empty for a null address or an
    // empty body.
    std::string LoadPage(const char* szUrl, int nProgress);
    HINTERNET MyWinhttpConnection();
    void CloseSession();
    int LoadCount() const { return m_nLoadCount; }

private:
    std::string Fail(HINTERNET hRequest, HINTERNET hConnect, const char* szStep);
    bool SendWithRetries(HINTERNET hRequest);
    std::string ReadBody(HINTERNET hRequest, const std::string& host, int nProgress);

    int m_nLoadCount = 0;
};
