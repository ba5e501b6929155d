// Move-only owners for everything the platform hands out that has to be
// given back: kernel handles, registry keys, GDI objects and icons, COM
// interface pointers and BSTRs; WinHTTP and WinINet handles and sockets
// for the files that use those APIs. Plus the ANSI code page conversions
// that every text crossing a component boundary goes through. Shared by
// the main program, the component servers and the local web.
//
// winhttp.h and wininet.h cannot be included together, and winsock2.h has
// to come before windows.h: the owners of those handles appear when the
// API's header was included before this one.
#ifndef PELLMARK_PLATFORM_OWNERS_WIN_H
#define PELLMARK_PLATFORM_OWNERS_WIN_H

#include <windows.h>
#include <oleauto.h>

#include <cstring>
#include <cwchar>
#include <string>
#include <utility>

// Owns one handle. Traits name the handle type, its empty value, which
// values are real handles and how one is given back.
template <class Traits>
class COwner {
public:
    using Handle = typename Traits::Handle;

    COwner() = default;
    // Adopts the handle.
    explicit COwner(Handle h) : m_h(h) {}
    ~COwner() { Reset(); }
    COwner(COwner&& other) noexcept : m_h(other.Detach()) {}
    COwner& operator=(COwner&& other) noexcept {
        if (this != &other) Reset(other.Detach());
        return *this;
    }
    COwner(const COwner&) = delete;
    COwner& operator=(const COwner&) = delete;

    Handle Get() const { return m_h; }
    explicit operator bool() const { return Traits::IsValid(m_h); }
    // For functions that hand out a handle through a pointer.
    Handle* Receive() {
        Reset();
        return &m_h;
    }
    Handle Detach() { return std::exchange(m_h, Traits::Empty()); }
    // Gives back the handle held, then adopts h.
    void Reset(Handle h = Traits::Empty()) {
        const Handle old = std::exchange(m_h, h);
        if (Traits::IsValid(old)) Traits::Close(old);
    }

private:
    Handle m_h = Traits::Empty();
};

// Threads, events, mutexes and files. CreateFile reports failure with
// INVALID_HANDLE_VALUE, the others with null: neither is closed.
struct CKernelHandleTraits {
    using Handle = HANDLE;
    static Handle Empty() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { CloseHandle(h); }
};
using CKernelHandle = COwner<CKernelHandleTraits>;

// Most handles are empty when null.
template <class T>
struct CNullIsEmpty {
    using Handle = T;
    static Handle Empty() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
};

struct CRegKeyTraits : CNullIsEmpty<HKEY> {
    static void Close(HKEY h) { RegCloseKey(h); }
};
using CRegKey = COwner<CRegKeyTraits>;

// Fonts, bitmaps, brushes and pens.
template <class T>
struct CGdiObjectTraits : CNullIsEmpty<T> {
    static void Close(T h) { DeleteObject(h); }
};
template <class T>
using CGdiObject = COwner<CGdiObjectTraits<T>>;

// An icon loaded without LR_SHARED.
struct CIconTraits : CNullIsEmpty<HICON> {
    static void Close(HICON h) { DestroyIcon(h); }
};
using CIcon = COwner<CIconTraits>;

template <class T>
class CComRef {
public:
    CComRef() = default;
    // Adopts one reference.
    explicit CComRef(T* lp) : m_lp(lp) {}
    ~CComRef() { Reset(); }
    CComRef(CComRef&& other) noexcept : m_lp(std::exchange(other.m_lp, nullptr)) {}
    CComRef& operator=(CComRef&& other) noexcept {
        if (this != &other) {
            Reset();
            m_lp = std::exchange(other.m_lp, nullptr);
        }
        return *this;
    }
    CComRef(const CComRef&) = delete;
    CComRef& operator=(const CComRef&) = delete;

    T* Get() const { return m_lp; }
    T* operator->() const { return m_lp; }
    explicit operator bool() const { return m_lp != nullptr; }
    T** Receive() {
        Reset();
        return &m_lp;
    }
    void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }
    void Reset() {
        if (m_lp) std::exchange(m_lp, nullptr)->Release();
    }

private:
    T* m_lp = nullptr;
};

class CBstr {
public:
    CBstr() = default;
    // Adopts the string.
    explicit CBstr(BSTR bstr) : m_bstr(bstr) {}
    ~CBstr() { SysFreeString(m_bstr); }
    CBstr(CBstr&& other) noexcept : m_bstr(std::exchange(other.m_bstr, nullptr)) {}
    CBstr& operator=(CBstr&& other) noexcept {
        if (this != &other) {
            SysFreeString(m_bstr);
            m_bstr = std::exchange(other.m_bstr, nullptr);
        }
        return *this;
    }
    CBstr(const CBstr&) = delete;
    CBstr& operator=(const CBstr&) = delete;

    BSTR Get() const { return m_bstr; }
    bool IsNull() const { return m_bstr == nullptr; }
    BSTR* Receive() {
        SysFreeString(std::exchange(m_bstr, nullptr));
        return &m_bstr;
    }
    BSTR Detach() { return std::exchange(m_bstr, nullptr); }

private:
    BSTR m_bstr = nullptr;
};

// A new BSTR with the characters of an ANSI code page text; null when the
// text is missing or memory runs out.
inline BSTR AnsiToBstr(const char* szText, std::size_t nLength) {
    if (!szText) return nullptr;
    if (nLength == 0) return SysAllocStringLen(L"", 0);
    if (nLength > 0x3FFFFFFF) return nullptr;
    const int nWide = MultiByteToWideChar(CP_ACP, 0, szText, static_cast<int>(nLength), nullptr, 0);
    if (nWide <= 0) return nullptr;
    BSTR bstr = SysAllocStringLen(nullptr, static_cast<UINT>(nWide));
    if (bstr) MultiByteToWideChar(CP_ACP, 0, szText, static_cast<int>(nLength), bstr, nWide);
    return bstr;
}
inline BSTR AnsiToBstr(const std::string& text) { return AnsiToBstr(text.data(), text.size()); }
inline BSTR AnsiToBstr(const char* szText) { return szText ? AnsiToBstr(szText, std::strlen(szText)) : nullptr; }

// The ANSI code page text of a BSTR, up to its first NUL character.
inline std::string BstrToAnsi(const wchar_t* bstr) {
    if (!bstr) return std::string();
    const std::size_t nLength = std::wcslen(bstr);
    if (nLength == 0 || nLength > 0x3FFFFFFF) return std::string();
    const int nWide = static_cast<int>(nLength);
    const int nBytes = WideCharToMultiByte(CP_ACP, 0, bstr, nWide, nullptr, 0, nullptr, nullptr);
    if (nBytes <= 0) return std::string();
    std::string text(static_cast<std::size_t>(nBytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, bstr, nWide, &text[0], nBytes, nullptr, nullptr);
    return text;
}

#endif  // PELLMARK_PLATFORM_OWNERS_WIN_H

// WinHTTP's guard is __WINE_WINHTTP_H in MinGW's headers, _WINHTTPX_ in
// the Windows SDK's.
#if (defined(__WINE_WINHTTP_H) || defined(_WINHTTPX_)) && !defined(PELLMARK_OWNERS_WINHTTP)
#define PELLMARK_OWNERS_WINHTTP
struct CWinHttpTraits : CNullIsEmpty<HINTERNET> {
    static void Close(HINTERNET h) { WinHttpCloseHandle(h); }
};
using CWinHttpHandle = COwner<CWinHttpTraits>;
#endif

#if defined(_WININET_) && !defined(PELLMARK_OWNERS_WININET)
#define PELLMARK_OWNERS_WININET
struct CInternetTraits : CNullIsEmpty<HINTERNET> {
    static void Close(HINTERNET h) { InternetCloseHandle(h); }
};
using CInternetHandle = COwner<CInternetTraits>;
#endif

#if defined(_WINSOCK2API_) && !defined(PELLMARK_OWNERS_WINSOCK)
#define PELLMARK_OWNERS_WINSOCK
struct CSocketTraits {
    using Handle = SOCKET;
    static Handle Empty() { return INVALID_SOCKET; }
    static bool IsValid(Handle h) { return h != INVALID_SOCKET; }
    static void Close(Handle h) { closesocket(h); }
};
using CSocket = COwner<CSocketTraits>;
#endif
