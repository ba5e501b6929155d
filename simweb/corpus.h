#pragma once
// The corpus of the local web: its sites and pages, and every fact the
// engine serves about them (links both ways, PageRank and toolbar rank,
// words, e-mail addresses, WhoIs entries). Tests read the same facts to
// compute what the engine must answer.
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace simweb {

// How a site is reached. Plain: http only, as the whole web once was.
// The others serve https behind a TLS front and their pages' addresses
// are https ones: Both answers http too, Redirect answers http with a 301
// to https, SecureOnly has no http at all, and the last three show a
// broken certificate (out of date, issued for another name, signed by
// itself) while still answering http.
enum class SiteScheme { Plain, Both, Redirect, SecureOnly, Expired, WrongName, SelfSigned };

struct SimSite {
    std::string name;                // folder name, e.g. "bluefish.com"
    std::string host;                // e.g. "127.0.0.2"
    SiteScheme scheme = SiteScheme::Plain;
    std::vector<std::string> whois;  // registrant and contact addresses
    int home = -1;                   // page served for "/"
};

struct SimPage {
    int site = -1;
    std::string path;     // e.g. "/bluefish.com/index.html", escaped
    std::string address;  // "http://" (a Plain site) or "https://", then host and path
    std::string html;
};

class CCorpus {
public:
    int AddSite(const std::string& name, const std::string& host, std::vector<std::string> whois,
                SiteScheme scheme = SiteScheme::Plain);
    // The first page of a site is its home unless SetHome says otherwise.
    int AddPage(int site, const std::string& path, std::string html);
    void SetHome(int site, int page);
    // The page's outbound links as the program counts them, recorded by
    // whoever wrote the page knowing what it wrote (the generator).
    void SetOutboundCount(int page, int nCount) { m_outbound[page] = nCount; }
    // Links, ranks and the word index; call once after the last page.
    void Build();

    std::size_t SiteCount() const { return m_sites.size(); }
    std::size_t PageCount() const { return m_pages.size(); }
    const SimSite& Site(int site) const { return m_sites[site]; }
    const SimPage& Page(int page) const { return m_pages[page]; }

    // -1 when unknown. A folder address finds its index page; "http://host"
    // and "http://host/" find the site's home; "https://" finds the same
    // pages as "http://", whatever the site's scheme.
    int FindPage(const std::string& address) const;
    int FindSiteByHost(const std::string& host) const;
    // By the site's name ("bluefish.com"), as a service that knows domains
    // by name is asked; -1 when unknown.
    int FindSiteByName(const std::string& name) const;

    // href values as written on the page, in page order.
    const std::vector<std::string>& OutboundLinks(int page) const { return m_hrefs[page]; }
    // The recorded outbound count; -1 for a page whose writer recorded none
    // (a loaded folder, the hostile sites).
    int OutboundCount(int page) const { return m_outbound[page]; }
    // Distinct corpus pages the page links to (no self link).
    const std::vector<int>& LinkTargets(int page) const { return m_targets[page]; }
    // Distinct corpus pages linking to the page, in result order.
    const std::vector<int>& Backlinks(int page) const { return m_backlinks[page]; }
    int BacklinkCount(int page) const { return static_cast<int>(m_backlinks[page].size()); }
    double PageRankValue(int page) const { return m_pageRank[page]; }
    int Rank(int page) const { return m_ranks[page]; }
    // Every match of the analysis component's e-mail expression.
    std::vector<std::string> Emails(int page) const;
    const std::vector<std::string>& WhoIsEmails(int site) const { return m_sites[site].whois; }

    // Pages holding every word of the query, in result order; none for a
    // query without words.
    std::vector<int> Search(const std::string& query) const;
    // Result order: higher toolbar rank first, then address.
    bool ComesBefore(int a, int b) const;
    // Display texts of a result, free of markup.
    const std::string& Title(int page) const { return m_titles[page]; }
    const std::string& Snippet(int page) const { return m_snippets[page]; }

private:
    void IndexLinks();
    void ComputeRanks();
    void IndexWords();

    std::vector<SimSite> m_sites;
    std::vector<SimPage> m_pages;
    std::unordered_map<std::string, int> m_pageByKey;
    std::unordered_map<std::string, int> m_siteByHost;
    std::unordered_map<std::string, int> m_siteByName;
    std::vector<int> m_outbound;
    std::vector<std::vector<std::string>> m_hrefs;
    std::vector<std::vector<int>> m_targets;
    std::vector<std::vector<int>> m_backlinks;
    std::vector<double> m_pageRank;
    std::vector<int> m_ranks;
    std::vector<uint32_t> m_orderPos;  // page -> position in result order
    std::vector<int> m_byOrder;        // position -> page
    std::unordered_map<std::string, std::vector<uint32_t>> m_postings;  // word -> positions
    std::vector<std::string> m_titles;
    std::vector<std::string> m_snippets;
};

}  // namespace simweb
