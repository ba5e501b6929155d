#include "engine_pages.h"

#include "sim_text.h"

namespace simweb {

namespace {

std::string ResultEntry(const CCorpus& corpus, int page, const std::string& engineHost) {
    const std::string& address = corpus.Page(page).address;
    std::string shown = address.substr(address.find("://") + 3);
    return "<div class=\"g\"><a href=\"" + address + "\">" + HtmlEscape(corpus.Title(page)) +
           "</a><br>\n<font size=\"-1\">" + HtmlEscape(corpus.Snippet(page)) + "<br>\n<span class=\"a\">" +
           HtmlEscape(shown) + "</span> - <a href=\"http://" + engineHost + "/search?q=cache:" + shown +
           "\">Cached</a></font></div>\n";
}

}  // namespace

ResultWindow PlaceWindow(long long nTotal, long long nStart, long long nNum) {
    ResultWindow window;
    window.nTotal = nTotal;
    if (nTotal <= 0 || nNum <= 0) return window;
    if (nStart >= nTotal) nStart = (nTotal - 1) / nNum * nNum;
    window.nFirst = nStart + 1;
    window.nLast = nStart + nNum < nTotal ? nStart + nNum : nTotal;
    return window;
}

std::string GroupDigits(long long nValue) {
    std::string digits = std::to_string(nValue < 0 ? -nValue : nValue), out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return nValue < 0 ? "-" + out : out;
}

std::string ResultPage(const CCorpus& corpus, const std::vector<int>& results, const ResultWindow& window,
                       const std::string& engineHost) {
    std::string html = "<html><head><title>simweb search</title></head>\n<body>\n";
    if (window.nFirst == 0) {
        html += "<p>Results <b>0</b> - <b>0</b> of about <b>0</b>.</p>\n<p>Your search did not match any documents.</p>\n";
        return html + "</body></html>\n";
    }
    html += "<p>Results <b>" + std::to_string(window.nFirst) + "</b> - <b>" + std::to_string(window.nLast) +
            "</b> of about <b>" + GroupDigits(window.nTotal) + "</b>.</p>\n";
    for (long long i = window.nFirst - 1; i < window.nLast; ++i)
        html += ResultEntry(corpus, results[static_cast<std::size_t>(i)], engineHost);
    return html + "</body></html>\n";
}

std::string RankAnswer(int nRank) { return "Rank_1:1:" + std::to_string(nRank); }

std::string CachedPage(const CCorpus& corpus, int page) {
    return "<div style=\"border:1px solid #999\">This is the engine's cache of " +
           HtmlEscape(corpus.Page(page).address) + ".</div>\n<hr>\n" + corpus.Page(page).html;
}

std::string WhoIsPage(const CCorpus& corpus, int site) {
    std::string html = "<html><head><title>Domain check</title></head>\n<body>\n<h2>Domain check</h2>\n";
    if (site < 0) return html + "<p>No match for this domain.</p>\n</body></html>\n";
    const SimSite& entry = corpus.Site(site);
    html += "<pre>\nDomain name: " + HtmlEscape(entry.name) + "\nServer address: " + HtmlEscape(entry.host) +
            "\n\nRegistrant:\n    " + HtmlEscape(entry.name) + " Ltd\n";
    const char* const kRoles[] = {"    ", "\nAdministrative contact:\n    "};
    for (std::size_t i = 0; i < entry.whois.size(); ++i)
        html += (i < 2 ? kRoles[i] : "    ") + HtmlEscape(entry.whois[i]) + "\n";
    if (entry.whois.empty()) html += "    (no public e-mail address)\n";
    return html + "</pre>\n</body></html>\n";
}

std::string VerificationPage() {
    return "<html><head><title>Sorry</title></head>\n<body>\n<h1>We're sorry</h1>\n"
           "<p>Your computer or network may be sending automated queries. To protect our users, we can't "
           "process your request right now.</p>\n<p>To continue, please type the characters you see below</p>\n"
           "<img src=\"/sorry/image\" alt=\"verification image\">\n"
           "<form action=\"/sorry/check\" method=\"get\"><input type=\"text\" name=\"captcha\">"
           "<input type=\"submit\" value=\"Submit\"></form>\n</body></html>\n";
}

std::string EngineHomePage() {
    return "<html><head><title>simweb search</title></head>\n<body>\n<h1>simweb</h1>\n"
           "<form action=\"/search\" method=\"get\"><input type=\"text\" name=\"q\" size=\"40\">"
           "<input type=\"submit\" value=\"Search\"></form>\n</body></html>\n";
}

std::string NotFoundPage() {
    return "<html><head><title>404 Not Found</title></head>\n<body>\n<h1>Not Found</h1>\n"
           "<p>The requested address was not found on this server.</p>\n</body></html>\n";
}

}  // namespace simweb
