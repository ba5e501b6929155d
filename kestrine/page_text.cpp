#include "page_text.h"

#include <cctype>
#include <cstring>

namespace {

char Upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

bool SameNoCase(const char* a, const char* b, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i)
        if (Upper(a[i]) != Upper(b[i])) return false;
    return true;
}

// First occurrence of szMarker in lpText[nFrom, nLength), letter case
// ignored; nLength when there is none.
std::size_t FindNoCase(const char* lpText, std::size_t nLength, std::size_t nFrom, const char* szMarker) {
    const std::size_t nMarker = std::strlen(szMarker);
    const char cFirst = szMarker[0];
    const bool bCased = std::isalpha(static_cast<unsigned char>(cFirst)) != 0;
    for (std::size_t i = nFrom; i + nMarker <= nLength; ++i) {
        if (!bCased) {
            const void* lpHit = std::memchr(lpText + i, cFirst, nLength - nMarker + 1 - i);
            if (!lpHit) break;
            i = static_cast<std::size_t>(static_cast<const char*>(lpHit) - lpText);
        }
        if (SameNoCase(lpText + i, szMarker, nMarker)) return i;
    }
    return nLength;
}

// A start marker that begins in the kept text and ends in the rest: its
// position in szOut (not below nFloor), or npos.
std::size_t FindAcrossJoin(const std::string& szOut, std::size_t nFloor, const char* lpRest, std::size_t nRest,
                           const char* szStart, std::size_t nStart) {
    const std::size_t nOut = szOut.size();
    std::size_t k = nOut - nFloor >= nStart ? nOut - nStart + 1 : nFloor;
    for (; k < nOut; ++k) {
        const std::size_t nFromOut = nOut - k;
        if (nStart - nFromOut > nRest) continue;
        if (SameNoCase(szOut.data() + k, szStart, nFromOut) &&
            SameNoCase(lpRest, szStart + nFromOut, nStart - nFromOut))
            return k;
    }
    return std::string::npos;
}

}  // namespace

void AppendWithoutSpans(std::string& szOut, const char* lpText, std::size_t nLength, const char* szStart,
                        const char* szEnd) {
    const std::size_t nFloor = szOut.size();
    const std::size_t nStart = std::strlen(szStart);
    const std::size_t nEnd = std::strlen(szEnd);
    std::size_t nPos = 0;
    bool bJoined = false;  // kept text and rest were brought together
    for (;;) {
        std::size_t nCut = std::string::npos;  // where szOut is cut back to
        std::size_t nStartEnd = 0;               // end of the start marker in lpText
        if (bJoined) {
            nCut = FindAcrossJoin(szOut, nFloor, lpText + nPos, nLength - nPos, szStart, nStart);
            if (nCut != std::string::npos) nStartEnd = nPos + nStart - (szOut.size() - nCut);
        }
        if (nCut == std::string::npos) {
            const std::size_t nFound = FindNoCase(lpText, nLength, nPos, szStart);
            if (nFound >= nLength) break;
            nStartEnd = nFound + nStart;
            nCut = szOut.size() + (nFound - nPos);
        }
        const std::size_t nEndAt = FindNoCase(lpText, nLength, nStartEnd, szEnd);
        if (nEndAt >= nLength) break;
        // Keep what precedes the start marker; drop through the end marker.
        if (nCut > szOut.size()) szOut.append(lpText + nPos, nCut - szOut.size());
        szOut.resize(nCut);
        nPos = nEndAt + nEnd;
        bJoined = true;
    }
    szOut.append(lpText + nPos, nLength - nPos);
}

std::string RemoveSpans(const std::string& szText, const char* szStart, const char* szEnd) {
    std::string szOut;
    szOut.reserve(szText.size());
    AppendWithoutSpans(szOut, szText.data(), szText.size(), szStart, szEnd);
    return szOut;
}

std::string VisibleText(const std::string& szPage) {
    const std::string szText = RemoveSpans(szPage, "<SCRIPT", "</SCRIPT>");
    std::string szVisible;
    szVisible.reserve(szText.size() / 2);
    std::size_t nClose = szText.find('>');
    while (nClose != std::string::npos) {
        const std::size_t nOpen = szText.find('<', nClose + 1);
        if (nOpen == std::string::npos) break;
        AppendWithoutSpans(szVisible, szText.data() + nClose + 1, nOpen - nClose - 1, "&", ";");
        nClose = szText.find('>', nOpen + 1);
    }
    return szVisible;
}

namespace {
void ReplaceAll(std::string& szText, const std::string& szOld, const std::string& szNew) {
    std::string szResult;
    std::size_t nPos = 0;
    for (std::size_t nHit; (nHit = szText.find(szOld, nPos)) != std::string::npos; nPos = nHit + szOld.size())
        szResult.append(szText, nPos, nHit - nPos).append(szNew);
    szText = szResult.append(szText, nPos, std::string::npos);
}

bool HasNonEmptyLine(const std::string& szKeywords) {
    std::string szRest = szKeywords;
    ReplaceAll(szRest, "\r\n", "");
    return !szRest.empty();
}
}  // namespace

std::string KeywordExpression(const std::string& szKeywords) {
    if (!HasNonEmptyLine(szKeywords)) return std::string();
    std::string szExpression = szKeywords;
    ReplaceAll(szExpression, "\r\n", "\\b|\\b");
    szExpression = "\\b" + szExpression + "\\b";
    // Empty lines leave "|\b\b" behind; removing one can bring another
    // together, so repeat until none is left (the text is short).
    for (std::size_t nHit; (nHit = szExpression.find("|\\b\\b")) != std::string::npos;)
        szExpression.erase(nHit, 5);
    if (szExpression.compare(0, 5, "\\b\\b|") == 0) szExpression.erase(0, 5);
    return szExpression;
}
