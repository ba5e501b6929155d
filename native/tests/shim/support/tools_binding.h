#pragma once
// Native stand-in for the Windows tests' binding of brannick.dll and
// vossic.dll: the same rules, compiled into the test program.
#include "bound_tools.h"

class CBoundTools {
public:
    CBoundTools() { BindToolsRules(); }
    ~CBoundTools() { UnbindToolsRules(); }
    CBoundTools(const CBoundTools&) = delete;
    CBoundTools& operator=(const CBoundTools&) = delete;

    bool IsBound() const { return true; }
};
