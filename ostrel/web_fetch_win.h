#pragma once
// One GET with WinINet, as both WhoIs sources make it: the system's proxy
// settings, certificates checked, no cache.
#include <windows.h>
#include <wininet.h>

#include <cstddef>
#include <string>

constexpr DWORD kNoDeadline = INFINITE;

struct CFetchedAnswer {
    DWORD dwStatus = 0;
    std::string body;
    std::string retryAfter;  // the Retry-After header, when sent
    bool bWhole = false;     // the body was read to its end, within the bounds
};

// An internet session for one lookup; null when WinINet refuses one.
HINTERNET OpenFetchSession();

// GETs szAddress on the session with szHeaders ("Name: value\r\n"...), as
// WinINet opens an address, its own Accept header first. The body is read
// to its end. False when no answer came.
bool FetchPage(HINTERNET hSession, const char* szAddress, const char* szHeaders, CFetchedAnswer& answer);

// GETs an http or https szAddress on the session asking for szAccept
// alone. The body is read until it ends, nMaxBytes are read, or
// GetTickCount() passes dwDeadline; each wait of WinINet is cut to what is
// left before it. False when no answer came.
bool FetchTyped(HINTERNET hSession, const std::string& address, const char* szAccept, std::size_t nMaxBytes,
                DWORD dwDeadline, CFetchedAnswer& answer);

// Milliseconds left before dwDeadline (0 when passed).
DWORD TimeLeft(DWORD dwDeadline);
