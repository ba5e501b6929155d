#pragma once
// Reading the search engine's result pages: the request addresses, the
// last-page test and the result addresses. Portable; the question asked
// when the engine answers with something that is not a result page is
// installed by the Windows side (tests install their own answer).
#include <string>
#include <vector>

// Request templates (query, results per page, first result).
constexpr char kPagedQueryTemplate[] = "/search?q=%s&num=%d&hl=en&lr=&ie=UTF-8&newwindow=1&start=%d&sa=N&filter=0";
constexpr char kTop20QueryTemplate[] = "/search?q=%s&num=%d&hl=en&lr=&ie=UTF-8&newwindow=1&start=%d&sa=N";
constexpr std::size_t kQueryAddressSize = 4096;
constexpr int kResultsPerPage = 10;
constexpr int kMaxResultPages = 100;

// Engine origin ("http://" or "https://" + host) + the template filled in, cut to 4095 characters.
std::string BuildQueryAddress(const char* szTemplate, const char* szQuery, int nPerPage, int nStart);

// The blocked-page question: true when the user chose OK (go on).
typedef bool (*PFN_AskBlockedPage)();
void SetBlockedPageQuestion(PFN_AskBlockedPage pfnAsk);

bool IsLastPage(std::string szPage, int nStart);
bool ExtractGoogleLinks(std::string szPage, std::vector<std::string>& links, int& nStart);
// The addresses a result service of today's web listed, in its order, on
// the road the result page's addresses take: the tools library's filter
// and a log line each; false when none passed.
bool TakeServiceAddresses(const std::vector<std::string>& urls, std::vector<std::string>& links);
