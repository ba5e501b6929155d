#pragma once
// What the local web serves and where: the corpus (generated or a folder),
// the listening addresses, the querying rule, and the command line that
// sets them.
#include <cstdint>
#include <string>
#include <vector>

#include "corpus.h"
#include "corpus_generator.h"
#include "rdap_services.h"
#include "source_services.h"

namespace simweb {

struct SimWebOptions {
    std::string corpusFolder;  // empty: a generated corpus
    GenerateSpec generate;
    std::string engineHost = PELLMARK_SEARCH_HOST;
    std::string whoisHost = PELLMARK_WHOIS_HOST;
    std::string siteBase = "127.0.0.2";
    int nPort = 80;
    // Where the pages of a site that answers no plain http on nPort (it
    // has none, or forwards it to https) are served to the TLS front, and
    // today's sources and the RDAP servers, which answer https only.
    int nFrontPort = 8080;
    SourceServices sources = DefaultSourceServices();
    RdapHosts rdap;  // none served unless given addresses
    int nBlockQueries = 0;  // 0: never show the verification page
    int64_t nBlockWindowMs = 0;
    bool bHostile = false;
    std::string hostileBase = "127.0.0.200";
    bool bPrintMap = false;
    bool bPrintFronts = false;
    bool bQuiet = false;
    std::string writeFolder;  // write the corpus there and end

    SourceService& Source(SourceKind kind) { return sources[static_cast<std::size_t>(kind)]; }
    const SourceService& Source(SourceKind kind) const { return sources[static_cast<std::size_t>(kind)]; }
};

// false with a reason (or with the usage text for --help).
bool ParseCommandLine(const std::vector<std::string>& args, SimWebOptions& options, std::string& error);
std::string UsageText();

// The site addresses: one per site, from the site base, never the engine's,
// the WhoIs service's or a source's own address, nor a hostile site's.
bool PlanHosts(const SimWebOptions& options, std::size_t nSites, std::vector<std::string>& hosts, std::string& error);
// The hostile sites' addresses (none unless they are switched on).
bool PlanHostileHosts(const SimWebOptions& options, std::vector<std::string>& hosts, std::string& error);

// Generates or loads the corpus the options name, with the hostile sites
// when they are switched on; false when a source or an RDAP server shares
// an address with the engine, the WhoIs service or another of them.
bool BuildCorpus(const SimWebOptions& options, CCorpus& corpus, std::string& error);

// One line per service (a source's or an RDAP server's only when it is
// served) and per site:
// number, address, name, home page, WhoIs addresses; then one per hostile
// site: number, address, kind, page.
std::string SiteMapText(const SimWebOptions& options, const CCorpus& corpus);

// The TLS front a corpus needs, one ADDRESS:KIND:PORT entry per source
// and RDAP server served and per site that serves https: the certificate it shows (good,
// expired, wrong-name or self-signed) and the port of the plain side
// behind it.
std::vector<std::string> TlsFrontEntries(const SimWebOptions& options, const CCorpus& corpus);
// The port a site's pages are served on for plain http or for the front.
int SitePagePort(const SimWebOptions& options, SiteScheme scheme);

}  // namespace simweb
