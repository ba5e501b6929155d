#pragma once
// The pages the engine and the WhoIs service answer with, shaped the way
// the program reads them: in a result page nothing before the header says
// "Results", and every result is its own link followed by a "Cached" link
// with no other link and no other "Cached" in between.
#include <string>
#include <vector>

#include "corpus.h"

namespace simweb {

struct ResultWindow {
    long long nFirst = 0;  // 1-based number of the first result shown, 0 when none
    long long nLast = 0;
    long long nTotal = 0;
};

// The results shown for a request: from start, num of them; past the end,
// the last page of results, so the first number differs from start + 1.
ResultWindow PlaceWindow(long long nTotal, long long nStart, long long nNum);

std::string ResultPage(const CCorpus& corpus, const std::vector<int>& results, const ResultWindow& window,
                       const std::string& engineHost);
// "1,234,567": the engine groups the digits of its totals.
std::string GroupDigits(long long nValue);
// The toolbar's answer: "Rank_1:1:" and the rank.
std::string RankAnswer(int nRank);
std::string CachedPage(const CCorpus& corpus, int page);
std::string WhoIsPage(const CCorpus& corpus, int site);
std::string VerificationPage();
std::string EngineHomePage();
std::string NotFoundPage();

}  // namespace simweb
