#pragma once
// Owning wrappers for COM interface pointers and BSTRs, and the ANSI code
// page conversions that every text crossing a component boundary goes
// through. Shared by the component servers and the main program's clients.
#include <windows.h>
#include <oleauto.h>

#include <cstring>
#include <cwchar>
#include <string>
#include <utility>

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
