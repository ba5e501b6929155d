#pragma once
// The main program's wrapper of the page-analysis and WhoIs components.
// A fresh object per check; every call fails quietly (none / empty / false)
// when a component is not registered.
#include <string>

class CKestrine {
public:
    CKestrine();
    virtual ~CKestrine();

    // New text (release with delete[]): the single address, "Multiple", or null.
    char* GetEmailAddress(const char* szPage, const char* szPageAddress);
    std::string FindContactPage(const char* szPage, const char* szPageAddress);
    bool FoundKeywords(const char* szPage, const char* szKeywords);
    bool FindKeywords(const char* szPage, const char* szKeywords);
    // Owned by this object; null when nothing was found.
    const char* GetWhoIs(const char* szPageAddress);

private:
    std::string m_szText;
};
