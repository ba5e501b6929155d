#include "contact_links.h"

#include <cctype>

#include "page_text.h"

namespace {

bool AnchorLink(const std::string& szAnchor, CPageLink& link) {
    const std::size_t nHref = szAnchor.find("href=\"");
    if (nHref == std::string::npos) return false;
    const std::size_t nTarget = nHref + 6;
    const std::size_t nQuote = szAnchor.find('"', nTarget);
    if (nQuote == std::string::npos) return false;
    link.szTarget = szAnchor.substr(nTarget, nQuote - nTarget);
    link.szText = RemoveSpans(RemoveSpans(szAnchor, "<", ">"), "&", ";");
    return true;
}

bool EqualNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::vector<std::string> SplitWords(const std::string& szWords) {
    std::vector<std::string> words;
    std::size_t nPos = 0;
    for (std::size_t nSemicolon; (nSemicolon = szWords.find(';', nPos)) != std::string::npos; nPos = nSemicolon + 1)
        words.push_back(szWords.substr(nPos, nSemicolon - nPos));
    words.push_back(szWords.substr(nPos));
    return words;
}

}  // namespace

std::vector<CPageLink> CollectLinks(const std::string& szPage) {
    std::vector<CPageLink> links;
    std::size_t nOpen = szPage.find("<a");
    while (nOpen != std::string::npos) {
        const std::size_t nClose = szPage.find("a>", nOpen + 1);
        if (nClose == std::string::npos) break;
        CPageLink link;
        if (AnchorLink(szPage.substr(nOpen, nClose + 2 - nOpen), link)) links.push_back(std::move(link));
        nOpen = szPage.find("<a", nClose + 2);
    }
    return links;
}

std::string ChooseContactLink(const std::vector<CPageLink>& links, const std::string& szWords) {
    const std::vector<std::string> words = SplitWords(szWords);
    for (const CPageLink& link : links)
        for (const std::string& szWord : words)
            if (EqualNoCase(link.szText, szWord)) return link.szTarget;
    return std::string();
}
