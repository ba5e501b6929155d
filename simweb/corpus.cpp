#include "corpus.h"

#include <algorithm>
#include <numeric>

#include "html_scan.h"
#include "page_rank.h"
#include "sim_address.h"
#include "sim_text.h"

namespace simweb {

namespace {

constexpr std::size_t kSnippetWords = 24;
constexpr std::size_t kTitleLength = 80;

// A title shown between a result's link and its "Cached" link must not
// read as a second "Cached" link.
std::string DisplayTitle(const std::string& html, const std::string& address) {
    std::string title = VisibleText(PageTitle(html));
    std::string collapsed;
    for (const std::string& word : SplitWords(title)) collapsed += (collapsed.empty() ? "" : " ") + word;
    if (collapsed.empty()) return address;
    if (collapsed.size() > kTitleLength) collapsed.resize(kTitleLength);
    return collapsed;
}

std::string MakeSnippet(const std::vector<std::string>& words) {
    std::string snippet;
    for (std::size_t i = 0; i < words.size() && i < kSnippetWords; ++i) snippet += (i ? " " : "") + words[i];
    return snippet;
}

}  // namespace

int CCorpus::AddSite(const std::string& name, const std::string& host, std::vector<std::string> whois,
                     SiteScheme scheme) {
    SimSite site;
    site.name = name;
    site.host = ToLower(host);
    site.scheme = scheme;
    site.whois = std::move(whois);
    m_siteByHost[site.host] = static_cast<int>(m_sites.size());
    m_siteByName.emplace(ToLower(site.name), static_cast<int>(m_sites.size()));
    m_sites.push_back(std::move(site));
    return static_cast<int>(m_sites.size()) - 1;
}

int CCorpus::AddPage(int site, const std::string& path, std::string html) {
    SimPage page;
    page.site = site;
    page.path = PercentEscapePath(path);
    page.address = (m_sites[site].scheme == SiteScheme::Plain ? "http://" : "https://") + m_sites[site].host + page.path;
    page.html = std::move(html);
    int id = static_cast<int>(m_pages.size());
    m_pageByKey[PageKey(m_sites[site].host, page.path)] = id;
    if (m_sites[site].home < 0) m_sites[site].home = id;
    m_pages.push_back(std::move(page));
    m_outbound.push_back(-1);
    return id;
}

void CCorpus::SetHome(int site, int page) { m_sites[site].home = page; }

void CCorpus::Build() {
    IndexLinks();
    ComputeRanks();
    IndexWords();
}

int CCorpus::FindPage(const std::string& address) const {
    HttpAddress parts;
    // The key holds no scheme: a page is the same page over http and https.
    if (!ParseHttpAddress(address, parts)) return -1;
    auto it = m_pageByKey.find(PageKey(parts.host, parts.path));
    if (it != m_pageByKey.end()) return it->second;
    // A folder address names the folder's index page, as web servers do.
    for (const char* szIndex : {"index.html", "index.htm"}) {
        if (parts.path.back() != '/') break;
        it = m_pageByKey.find(PageKey(parts.host, parts.path + szIndex));
        if (it != m_pageByKey.end()) return it->second;
    }
    if (parts.path == "/") {
        int site = FindSiteByHost(parts.host);
        if (site >= 0) return m_sites[site].home;
    }
    return -1;
}

int CCorpus::FindSiteByHost(const std::string& host) const {
    auto it = m_siteByHost.find(ToLower(host));
    return it == m_siteByHost.end() ? -1 : it->second;
}

int CCorpus::FindSiteByName(const std::string& name) const {
    auto it = m_siteByName.find(ToLower(name));
    return it == m_siteByName.end() ? -1 : it->second;
}

std::vector<std::string> CCorpus::Emails(int page) const { return FindEmails(m_pages[page].html); }

bool CCorpus::ComesBefore(int a, int b) const {
    if (m_ranks[a] != m_ranks[b]) return m_ranks[a] > m_ranks[b];
    return m_pages[a].address < m_pages[b].address;
}

void CCorpus::IndexLinks() {
    const std::size_t n = m_pages.size();
    m_hrefs.assign(n, {});
    m_targets.assign(n, {});
    m_backlinks.assign(n, {});
    for (std::size_t i = 0; i < n; ++i) {
        m_hrefs[i] = ExtractHrefs(m_pages[i].html);
        std::vector<int>& targets = m_targets[i];
        for (const std::string& href : m_hrefs[i]) {
            int target = FindPage(ResolveHref(m_pages[i].address, href));
            if (target >= 0 && target != static_cast<int>(i)) targets.push_back(target);
        }
        std::sort(targets.begin(), targets.end());
        targets.erase(std::unique(targets.begin(), targets.end()), targets.end());
        for (int target : targets) m_backlinks[target].push_back(static_cast<int>(i));
    }
}

void CCorpus::ComputeRanks() {
    m_pageRank = ComputePageRank(m_targets);
    std::vector<int> inDegree(m_pages.size());
    for (std::size_t i = 0; i < m_pages.size(); ++i) inDegree[i] = BacklinkCount(static_cast<int>(i));
    m_ranks = ToolbarRanks(m_pageRank, inDegree);
    m_byOrder.resize(m_pages.size());
    std::iota(m_byOrder.begin(), m_byOrder.end(), 0);
    std::sort(m_byOrder.begin(), m_byOrder.end(), [this](int a, int b) { return ComesBefore(a, b); });
    m_orderPos.resize(m_pages.size());
    for (std::size_t pos = 0; pos < m_byOrder.size(); ++pos) m_orderPos[m_byOrder[pos]] = static_cast<uint32_t>(pos);
    for (std::vector<int>& linking : m_backlinks)
        std::sort(linking.begin(), linking.end(), [this](int a, int b) { return m_orderPos[a] < m_orderPos[b]; });
}

void CCorpus::IndexWords() {
    m_postings.clear();
    m_titles.resize(m_pages.size());
    m_snippets.resize(m_pages.size());
    for (uint32_t pos = 0; pos < m_byOrder.size(); ++pos) {
        int page = m_byOrder[pos];
        std::vector<std::string> words = SplitWords(VisibleText(m_pages[page].html));
        m_snippets[page] = MakeSnippet(words);
        m_titles[page] = DisplayTitle(m_pages[page].html, m_pages[page].address);
        std::sort(words.begin(), words.end());
        words.erase(std::unique(words.begin(), words.end()), words.end());
        for (const std::string& word : words) m_postings[word].push_back(pos);
    }
}

std::vector<int> CCorpus::Search(const std::string& query) const {
    std::vector<std::string> words = SplitWords(query);
    if (words.empty()) return {};
    std::vector<const std::vector<uint32_t>*> lists;
    for (const std::string& word : words) {
        auto it = m_postings.find(word);
        if (it == m_postings.end()) return {};
        lists.push_back(&it->second);
    }
    std::sort(lists.begin(), lists.end(), [](auto* a, auto* b) { return a->size() < b->size(); });
    std::vector<uint32_t> hits = *lists.front(), both;
    for (std::size_t i = 1; i < lists.size() && !hits.empty(); ++i) {
        both.clear();
        std::set_intersection(hits.begin(), hits.end(), lists[i]->begin(), lists[i]->end(), std::back_inserter(both));
        hits.swap(both);
    }
    std::vector<int> pages;
    pages.reserve(hits.size());
    for (uint32_t pos : hits) pages.push_back(m_byOrder[pos]);
    return pages;
}

}  // namespace simweb
