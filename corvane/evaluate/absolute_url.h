#pragma once
// Relative links made absolute by a purely textual rule: "/" characters of
// the page address against ".." sequences of the link. Also the host part
// of an address, which the crawl's duplicate test uses. Portable.
#include <string>
#include <vector>

class CFullURL {
public:
    CFullURL() = default;
    virtual ~CFullURL();

    // The joined address; empty when either text is empty.
    std::string MakeFullURL(std::string base, std::string relative);
    // Occurrences of pattern in text (left to right, no overlap); rest gets
    // what follows the last one, or all of text when there is none.
    int CountAndStrip(const std::string& text, const std::string& pattern, std::string& rest);

private:
    std::string m_szResult;
    std::string m_szBase;
    std::string m_szRelative;
};

// Rewrites the relative entries of lpLinks against the page address. False
// when a failure broke the walk off; a stop request still gives true.
bool ConvertToAbsoluteAddress(std::vector<std::string>* lpLinks, std::string szPageAddress);

// Host part of an address ("http://" or "https://" skipped, up to the
// first "/"); the empty text for a null address.
std::string GetDomainFromURL(const char* szAddress);
