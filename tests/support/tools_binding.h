#pragma once
// Binds the outside libraries built beside the test program (brannick.dll,
// vossic.dll) the way start-up does, and unbinds them again, so tests call
// the real exports through web/tools_library.h.
#include <windows.h>

class CBoundTools {
public:
    CBoundTools();
    ~CBoundTools();
    CBoundTools(const CBoundTools&) = delete;
    CBoundTools& operator=(const CBoundTools&) = delete;

    // True when both libraries and every export were found.
    bool IsBound() const { return m_bBound; }

private:
    HMODULE m_hTools = nullptr;
    HMODULE m_hChecksum = nullptr;
    bool m_bBound = false;
};
