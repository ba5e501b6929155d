#pragma once
// Binds the tools library's case-blind search to the stand-in's portable
// rules, so the report code runs without loading a library.
#include "tools_rules.h"
#include "web/tools_library.h"

class CBoundSearch {
public:
    CBoundSearch() { g_pfnStrStrNoCase = &Find; }
    ~CBoundSearch() { g_pfnStrStrNoCase = nullptr; }

private:
    static char* Find(const char* szText, const char* szPattern) {
        return const_cast<char*>(FindNoCase(szText, szPattern));
    }
};
