// Speed of the page analysis on generated pages: an ordinary 5 MB page and
// pages carrying a 100 KB and a 1 MB inline base64 image. Writes each page
// to the folder given on the command line (for grep to read the same
// bytes) and prints the MB/s of every analysis.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "bench_figures.h"
#include "contact_links.h"
#include "email_search.h"
#include "expression_search.h"
#include "page_text.h"

namespace {

const char kContactWords[] = "contact;contact us;contactus;about;about us;aboutus;feedback";
const char kKeywords[] = "link building\r\nsearch engine\r\nprospecting";

std::string OrdinaryContent(std::size_t nSize, std::mt19937& rng) {
    static const char* const kWords[] = {"search", "engine", "ranking", "page", "link", "building", "the",
                                         "and", "of", "results", "webmaster", "quality", "content", "site"};
    std::string szPage = "<html><head><title>Bench</title><script>var x = 1; if (a < b) run();</script>"
                         "<style>p { margin: 0 }</style></head><body>\n";
    int nParagraph = 0;
    while (szPage.size() < nSize) {
        szPage += "<p class=\"text\">";
        for (int i = 0; i < 60; ++i) {
            szPage += kWords[rng() % (sizeof kWords / sizeof kWords[0])];
            szPage += (i % 17 == 16) ? "&nbsp;" : " ";
        }
        szPage += "<b>bold</b> <a href=\"/page" + std::to_string(nParagraph) + ".htm\">more</a></p>\n";
        if (nParagraph % 50 == 0) szPage += "<p>Write to info" + std::to_string(nParagraph) + "@example.com.</p>\n";
        if (nParagraph % 500 == 250) szPage += "<a href=\"/contact.htm\">Contact Us</a>\n";
        ++nParagraph;
    }
    return szPage + "</body></html>\n";
}

// Image data as flat or compressed images encode it: letters and digits
// without "+" or "/" for the whole run, the case that makes the plain walk
// over the e-mail expression quadratic.
std::string Base64Run(std::size_t nSize, std::mt19937& rng) {
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::string szRun(nSize, 'A');
    for (char& c : szRun) c = kAlphabet[rng() % 62];
    return szRun;
}

std::string PageWithImage(std::size_t nImage, std::mt19937& rng) {
    return OrdinaryContent(100000, rng) + "<img src=\"data:image/png;base64," + Base64Run(nImage, rng) + "\">" +
           OrdinaryContent(100000, rng);
}

// Throughput of each of nRuns analyses, in MB/s.
void Report(const char* szPage, const char* szAnalysis, std::size_t nBytes, const std::function<std::size_t()>& f,
            int nRuns = 5) {
    std::vector<double> rates;
    for (int i = 0; i < nRuns; ++i)
        rates.push_back(static_cast<double>(nBytes) / 1e6 / SecondsOf([&] { f(); }));
    PrintFigure(std::string("page analysis, ") + szPage + ", " + szAnalysis, "MB/s", "-", rates);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string szFolder = argc > 1 ? argv[1] : ".";
    const bool bPlain = argc > 2 && std::string(argv[2]) == "--plain";
    std::mt19937 rng(2005);
    const struct {
        const char* szName;
        std::string szPage;
    } kPages[] = {
        {"ordinary", OrdinaryContent(5000000, rng)},
        {"image100k", PageWithImage(100000, rng)},
        {"image1m", PageWithImage(1000000, rng)},
    };
    for (const auto& page : kPages) {
        std::ofstream(szFolder + "/" + page.szName + ".html", std::ios::binary) << page.szPage;
        const std::string& szPage = page.szPage;
        Report(page.szName, "email", szPage.size(), [&] {
            std::vector<std::string> matches;
            FindEmailAddresses(szPage, matches);
            return matches.size();
        });
        Report(page.szName, "keywords", szPage.size(), [&] {
            std::vector<std::string> matches;
            SearchExpression(KeywordExpression(kKeywords), VisibleText(szPage), matches);
            return matches.size();
        });
        Report(page.szName, "contact link", szPage.size(), [&] {
            return ChooseContactLink(CollectLinks(szPage), kContactWords).empty() ? std::size_t(0) : std::size_t(1);
        });
        if (bPlain) {
            // The plain expression walk, for comparison: once, it takes
            // seconds to minutes on the images and then gives up.
            Report(
                page.szName, "email (plain walk)", szPage.size(),
                [&] {
                    std::vector<std::string> matches;
                    SearchExpression(kEmailExpression, szPage, matches);
                    return matches.size();
                },
                1);
        }
    }
    return 0;
}
