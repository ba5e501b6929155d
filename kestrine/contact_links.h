#pragma once
// The links of a page as the contact-page finder sees them, and the choice
// of the contact link among them. Portable.
#include <string>
#include <vector>

struct CPageLink {
    std::string szText;    // the anchor with tags and character references removed
    std::string szTarget;  // between the double quotes of href="..."
};

// Every "<a" ... "a>" anchor with a double-quoted href, in page order; the
// markers and "href=" are matched with their case as written.
std::vector<CPageLink> CollectLinks(const std::string& szPage);

// The target of the first link whose text equals one of the ";"-separated
// words, letter case ignored; empty when none does.
std::string ChooseContactLink(const std::vector<CPageLink>& links, const std::string& szWords);
