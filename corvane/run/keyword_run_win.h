#pragma once
// Keyword runs: reading the keyword criteria, starting the keyword thread,
// and the driver that walks each keyword's result pages.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "base/link_record.h"

class CEvaluationThread;

constexpr std::size_t kKeywordSize = 2048;

// Reads "Max results", the keyword field (one keyword per line, each cut to
// 2047 characters), the Top-20 box and the query limit.
bool GetKeywords(std::vector<std::string>& keywords, bool& bTop20, int& nQueryLimit);
// "Trawl Keywords": a Top-20 run or a keyword run.
void DoKeywords();
void DoKeywordToLink(const std::vector<std::string>& keywords, int nQueryLimit);
void BeginGoogleSearch(const std::vector<std::string>& keywords, int nQueryLimit);

struct KeywordRunBlock {
    std::vector<std::string>* lpKeywords;
    int nQueryLimit;
};
int GoogleSearchCore(KeywordRunBlock* lpBlock);

// What one result page's evaluation thread works on, shared with the
// worker that waits for it: "Force" ends the worker while the evaluation
// may still come back and write, so nothing of it may live on the
// worker's stack.
struct ResultPageWork {
    std::vector<std::string> links;
    int nLimit;
    std::vector<URLInfo> accepted;
};
using ResultPageRequest = std::shared_ptr<ResultPageWork>;
unsigned __stdcall ProcessGooglePage(void* lpParam);

// Walks the result pages of one query (keyword or "link:" text) with its
// limit, evaluating each page's results; accepted records are appended to
// the report list. Each result page's evaluation runs on the worker's one
// evaluation thread.
void WalkResultPages(const char* szQuery, int nQueryLimit, std::vector<URLInfo>& reportList,
                     CEvaluationThread& evaluation);
