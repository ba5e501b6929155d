#pragma once
// The in-process server's module: its instance handle, the lock count that
// DllCanUnloadNow answers from, and the description each component gives
// of itself (type library, creatable classes, registration names).
#include <windows.h>

#include <string>

// What the registry and the class factory need to know of one class.
struct CServerClass {
    const CLSID* lpClsid;
    const wchar_t* szClassName;                // "Trawler Class"
    const wchar_t* szProgId;                   // "Kestrine.Trawler.1"
    const wchar_t* szVersionIndependentProgId; // "Kestrine.Trawler"
    // Creates a new object, aggregated when lpOuter is given, and asks it for riid.
    HRESULT (*CreateInstance)(IUnknown* lpOuter, REFIID riid, void** ppv);
};

struct CServerDescription {
    const GUID* lpLibId;
    WORD wMajorVersion;
    WORD wMinorVersion;
    const CServerClass* lpClasses;
    std::size_t nClasses;
    // Thread attach and detach notifications are not needed.
    bool bNoThreadCalls;
};

// Each component defines its own description.
extern const CServerDescription g_ServerDescription;

class CServerModule {
public:
    void Lock() { InterlockedIncrement(&m_nLocks); }
    void Unlock() { InterlockedDecrement(&m_nLocks); }
    bool CanUnload() const { return InterlockedCompareExchange(const_cast<LONG*>(&m_nLocks), 0, 0) == 0; }

    void SetInstance(HINSTANCE hInstance) { m_hInstance = hInstance; }
    HINSTANCE Instance() const { return m_hInstance; }
    // The full path of this library, as registered.
    std::wstring ModulePath() const;

private:
    volatile LONG m_nLocks = 0;
    HINSTANCE m_hInstance = nullptr;
};

extern CServerModule g_Module;

// Holds one module lock for its lifetime.
class CModuleLock {
public:
    CModuleLock() { g_Module.Lock(); }
    ~CModuleLock() { g_Module.Unlock(); }
    CModuleLock(const CModuleLock&) = delete;
    CModuleLock& operator=(const CModuleLock&) = delete;
};
