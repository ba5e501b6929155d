#include "simweb_options.h"

#include <algorithm>
#include <functional>
#include <map>

#include "corpus_folder.h"
#include "hostile_sites.h"
#include "sim_address.h"
#include "sim_text.h"

namespace simweb {

namespace {

constexpr long long kMaxSites = 60000;
constexpr long long kMaxPagesPerSite = 100000;
constexpr long long kMaxCount = 1000000000LL;

bool IsAddress(const std::string& text) {
    uint32_t nAddress;
    return ParseIPv4(text, nAddress);
}

// "--block N/MS": the N-th query within MS milliseconds is refused.
bool ReadBlockRule(const std::string& text, SimWebOptions& options) {
    std::size_t slash = text.find('/');
    long long nQueries, nWindow;
    if (slash == std::string::npos || !ReadCount(text.substr(0, slash), 0, kMaxCount, nQueries) ||
        !ReadCount(text.substr(slash + 1), 0, kMaxCount, nWindow))
        return false;
    options.nBlockQueries = static_cast<int>(nQueries);
    options.nBlockWindowMs = nWindow;
    return true;
}

using ValueSetter = std::function<bool(const std::string&, SimWebOptions&)>;

bool SetCount(const std::string& text, long long nMin, long long nMax, int& nTarget) {
    long long nValue;
    if (!ReadCount(text, nMin, nMax, nValue)) return false;
    nTarget = static_cast<int>(nValue);
    return true;
}

bool SetAddress(const std::string& text, std::string& target) {
    if (!IsAddress(text)) return false;
    target = text;
    return true;
}

ValueSetter SourceAddress(SourceKind kind) {
    return [kind](const std::string& v, SimWebOptions& o) { return SetAddress(v, o.Source(kind).host); };
}

// Each "--rdap-registrar" adds one more registrar.
bool AddRegistrar(const std::string& text, SimWebOptions& options) {
    std::string host;
    if (!SetAddress(text, host)) return false;
    options.rdap.registrars.push_back(host);
    return true;
}

ValueSetter SourceKey(SourceKind kind) {
    return [kind](const std::string& v, SimWebOptions& o) {
        o.Source(kind).key = v;
        return !v.empty();
    };
}

// "--fault SOURCE:KIND", each kind for the sources that can fail that way.
bool ReadFault(const std::string& text, SimWebOptions& options) {
    constexpr unsigned kAll = (1u << kSourceKinds) - 1;
    constexpr unsigned kKeyed = 1u << static_cast<unsigned>(SourceKind::Brave) |
                                1u << static_cast<unsigned>(SourceKind::OpenPageRank);
    struct FaultSwitch {
        const char* szName;
        bool SourceFaults::*pFlag;
        unsigned nKinds;
    };
    static const FaultSwitch kSwitches[] = {
        {"json-off", &SourceFaults::bJsonOff, 1u << static_cast<unsigned>(SourceKind::SearXng)},
        {"key-refused", &SourceFaults::bKeyRefused, kKeyed},
        {"quota", &SourceFaults::bQuotaUsed, 1u << static_cast<unsigned>(SourceKind::Brave)},
        {"429-once", &SourceFaults::bRateLimitOnce, kAll},
        {"malformed-once", &SourceFaults::bMalformedOnce, kAll},
    };
    std::size_t colon = text.find(':');
    for (std::size_t k = 0; k < kSourceKinds && colon != std::string::npos; ++k) {
        SourceKind kind = static_cast<SourceKind>(k);
        if (text.compare(0, colon, SourceName(kind)) != 0) continue;
        for (const FaultSwitch& fault : kSwitches) {
            if (text.compare(colon + 1, std::string::npos, fault.szName) != 0 || !(fault.nKinds & (1u << k))) continue;
            options.Source(kind).faults.*fault.pFlag = true;
            return true;
        }
    }
    return false;
}

// The services' own addresses, which no site may take.
std::vector<std::string> ServiceHosts(const SimWebOptions& options) {
    std::vector<std::string> hosts = {options.engineHost, options.whoisHost};
    for (const SourceService& source : options.sources)
        if (!source.host.empty()) hosts.push_back(source.host);
    for (const std::string& host : options.rdap.All()) hosts.push_back(host);
    return hosts;
}

// Each source and RDAP server has an address of its own: its TLS front
// and its listener serve nothing else.
bool CheckSourceHosts(const SimWebOptions& options, std::string& error) {
    std::vector<std::string> hosts = ServiceHosts(options);
    for (std::size_t i = 2; i < hosts.size(); ++i) {
        if (std::count(hosts.begin(), hosts.end(), hosts[i]) > 1) {
            error = "each of today's sources needs an address of its own: " + hosts[i];
            return false;
        }
    }
    return true;
}

const std::map<std::string, ValueSetter>& ValueOptions() {
    static const std::map<std::string, ValueSetter> kOptions = {
        {"--seed", [](const std::string& v, SimWebOptions& o) {
             long long n;
             if (!ReadCount(v, 0, 4294967295LL, n)) return false;
             o.generate.nSeed = static_cast<uint32_t>(n);
             return true;
         }},
        {"--sites", [](const std::string& v, SimWebOptions& o) { return SetCount(v, 1, kMaxSites, o.generate.nSites); }},
        {"--pages", [](const std::string& v, SimWebOptions& o) {
             return SetCount(v, 1, kMaxPagesPerSite, o.generate.nPagesPerSite);
         }},
        {"--corpus", [](const std::string& v, SimWebOptions& o) { o.corpusFolder = v; return !v.empty(); }},
        {"--engine", [](const std::string& v, SimWebOptions& o) { return SetAddress(v, o.engineHost); }},
        {"--whois", [](const std::string& v, SimWebOptions& o) { return SetAddress(v, o.whoisHost); }},
        {"--site-base", [](const std::string& v, SimWebOptions& o) { return SetAddress(v, o.siteBase); }},
        {"--hostile-base", [](const std::string& v, SimWebOptions& o) { return SetAddress(v, o.hostileBase); }},
        {"--port", [](const std::string& v, SimWebOptions& o) { return SetCount(v, 1, 65535, o.nPort); }},
        {"--front-port", [](const std::string& v, SimWebOptions& o) { return SetCount(v, 1, 65535, o.nFrontPort); }},
        {"--block", [](const std::string& v, SimWebOptions& o) { return ReadBlockRule(v, o); }},
        {"--searxng", SourceAddress(SourceKind::SearXng)},
        {"--brave", SourceAddress(SourceKind::Brave)},
        {"--openpagerank", SourceAddress(SourceKind::OpenPageRank)},
        {"--brave-token", SourceKey(SourceKind::Brave)},
        {"--openpagerank-key", SourceKey(SourceKind::OpenPageRank)},
        {"--rdap-bootstrap", [](const std::string& v, SimWebOptions& o) { return SetAddress(v, o.rdap.bootstrap); }},
        {"--rdap-registry", [](const std::string& v, SimWebOptions& o) { return SetAddress(v, o.rdap.registry); }},
        {"--rdap-registrar", AddRegistrar},
        {"--fault", ReadFault},
        {"--write-corpus", [](const std::string& v, SimWebOptions& o) { o.writeFolder = v; return !v.empty(); }},
    };
    return kOptions;
}

bool SetFlag(const std::string& arg, SimWebOptions& options) {
    if (arg == "--print-map") return options.bPrintMap = true;
    if (arg == "--print-tls") return options.bPrintFronts = true;
    if (arg == "--today") return options.generate.bToday = true;
    if (arg == "--quiet") return options.bQuiet = true;
    if (arg == "--hostile") return options.bHostile = true;
    return false;
}

}  // namespace

std::string UsageText() {
    return "usage: simweb [corpus] [addresses] [options]\n"
           "corpus (default: generated, seed 1, 20 sites of 10 pages):\n"
           "  --seed N --sites N --pages N   generate N sites of N pages each from the seed\n"
           "  --today                        generate a web of today: mostly https, some sites https only or\n"
           "                                 forwarding http there, a few with a broken certificate\n"
           "  --corpus DIR                   load DIR: one sub-folder of .html files per site\n"
           "addresses (port 80 of each):\n"
           "  --engine ADDR      search engine, rank service, link: search (default " PELLMARK_SEARCH_HOST ")\n"
           "  --whois ADDR       WhoIs service (default " PELLMARK_WHOIS_HOST ")\n"
           "  --site-base ADDR   first site; the others follow it (default 127.0.0.2)\n"
           "today's sources (https only: behind the TLS front, on --front-port; off unless given an address):\n"
           "  --searxng ADDR            a SearXNG instance: /search?q=...&format=json&pageno=N\n"
           "  --brave ADDR              the Brave Search API: /res/v1/web/search?q=...&count=20&offset=N\n"
           "  --openpagerank ADDR       the Open PageRank API: /api/v1.0/getPageRank?domains[]=...\n"
           "  --brave-token TOKEN       the X-Subscription-Token Brave accepts (default " +
           std::string(kDefaultBraveToken) + ")\n"
           "  --openpagerank-key KEY    the API-OPR key Open PageRank accepts (default " + kDefaultOpenPageRankKey + ")\n"
           "  --fault SOURCE:KIND       searxng:json-off, brave:key-refused, openpagerank:key-refused, brave:quota,\n"
           "                            or SOURCE:429-once, SOURCE:malformed-once (the next answer only)\n"
           "RDAP for the sites' domains (https only, like today's sources; off unless given addresses):\n"
           "  --rdap-bootstrap ADDR     the bootstrap file /dns.json, pointing .com and .net at the registry\n"
           "  --rdap-registry ADDR      a thin .com registry: /com/v1/domain/NAME, linking to the registrar\n"
           "  --rdap-registrar ADDR     a registrar: /rdap/domain/NAME with the contacts; repeat it for more,\n"
           "                            the sites are shared out among them\n"
           "options:\n"
           "  --block N/MS       the N-th query within MS milliseconds gets the verification page\n"
           "  --hostile          also serve the hostile sites, from --hostile-base ADDR (default 127.0.0.200)\n"
           "  --print-map        list the services and sites with their addresses and WhoIs entries, and end\n"
           "  --print-tls        list the TLS front the https sites, sources and RDAP servers need\n"
           "                     (ADDRESS:KIND:PORT), and end\n"
           "  --front-port N     serve the sources, the RDAP servers and the https-only and forwarding sites'\n"
           "                     pages to the front on N (default 8080)\n"
           "  --write-corpus DIR write the corpus as a folder that --corpus reads, and end\n"
           "  --quiet            do not print a line per request\n"
           "Ctrl+C or a request for /simweb/stop on the engine's address stops it.\n";
}

bool ParseCommandLine(const std::vector<std::string>& args, SimWebOptions& options, std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h" || arg == "/?") {
            error = UsageText();
            return false;
        }
        if (SetFlag(arg, options)) continue;
        auto it = ValueOptions().find(arg);
        if (it == ValueOptions().end()) {
            error = "unknown option " + arg + "\n" + UsageText();
            return false;
        }
        if (i + 1 >= args.size() || !it->second(args[i + 1], options)) {
            error = "bad or missing value for " + arg + "\n" + UsageText();
            return false;
        }
        ++i;
    }
    return true;
}

bool PlanHostileHosts(const SimWebOptions& options, std::vector<std::string>& hosts, std::string& error) {
    hosts.clear();
    return !options.bHostile ||
           PlanSiteHosts(options.hostileBase, kHostileKinds, ServiceHosts(options), hosts, error);
}

bool PlanHosts(const SimWebOptions& options, std::size_t nSites, std::vector<std::string>& hosts, std::string& error) {
    std::vector<std::string> reserved;
    if (!PlanHostileHosts(options, reserved, error)) return false;
    for (const std::string& host : ServiceHosts(options)) reserved.push_back(host);
    return PlanSiteHosts(options.siteBase, nSites, reserved, hosts, error);
}

bool BuildCorpus(const SimWebOptions& options, CCorpus& corpus, std::string& error) {
    std::vector<std::string> hosts, hostile;
    if (!CheckSourceHosts(options, error) || !PlanHostileHosts(options, hostile, error)) return false;
    if (options.corpusFolder.empty()) {
        if (!PlanHosts(options, static_cast<std::size_t>(options.generate.nSites), hosts, error)) return false;
        GenerateCorpus(options.generate, hosts, corpus, false);
    } else {
        std::vector<std::string> names;
        if (!ListSiteFolders(options.corpusFolder, names, error) || !PlanHosts(options, names.size(), hosts, error) ||
            !LoadCorpusFolder(options.corpusFolder, hosts, corpus, error, false))
            return false;
    }
    AddHostileSites(hostile, corpus);
    corpus.Build();
    return true;
}

std::string SiteMapText(const SimWebOptions& options, const CCorpus& corpus) {
    std::string text = "engine " + options.engineHost + "\nwhois " + options.whoisHost + "\n";
    for (std::size_t k = 0; k < kSourceKinds; ++k)
        if (!options.sources[k].host.empty())
            text += std::string(SourceName(static_cast<SourceKind>(k))) + " " + options.sources[k].host + "\n";
    if (!options.rdap.bootstrap.empty()) text += "rdap-bootstrap " + options.rdap.bootstrap + "\n";
    if (!options.rdap.registry.empty()) text += "rdap-registry " + options.rdap.registry + "\n";
    for (const std::string& host : options.rdap.registrars) text += "rdap-registrar " + host + "\n";
    int nHostile = 0;
    for (std::size_t s = 0; s < corpus.SiteCount(); ++s) {
        const SimSite& site = corpus.Site(static_cast<int>(s));
        int nKind = options.bHostile ? HostileKindOfSite(corpus, static_cast<int>(s)) : -1;
        if (nKind >= 0) {
            text += "hostile " + std::to_string(++nHostile) + " " + site.host + " " +
                    HostileName(HostileKindAt(static_cast<std::size_t>(nKind))) + " " + corpus.Page(site.home).address + "\n";
            continue;
        }
        text += "site " + std::to_string(s + 1) + " " + site.host + " " + site.name + " " +
                (site.home >= 0 ? corpus.Page(site.home).address : std::string("-")) + " whois:";
        for (const std::string& address : site.whois) text += " " + address;
        text += "\n";
    }
    return text;
}

int SitePagePort(const SimWebOptions& options, SiteScheme scheme) {
    return scheme == SiteScheme::Redirect || scheme == SiteScheme::SecureOnly ? options.nFrontPort : options.nPort;
}

std::vector<std::string> TlsFrontEntries(const SimWebOptions& options, const CCorpus& corpus) {
    static const std::map<SiteScheme, const char*> kCertificates = {
        {SiteScheme::Both, "good"},          {SiteScheme::Redirect, "good"},   {SiteScheme::SecureOnly, "good"},
        {SiteScheme::Expired, "expired"},    {SiteScheme::WrongName, "wrong-name"},
        {SiteScheme::SelfSigned, "self-signed"}};
    std::vector<std::string> entries;
    for (const SourceService& source : options.sources)
        if (!source.host.empty()) entries.push_back(source.host + ":good:" + std::to_string(options.nFrontPort));
    for (const std::string& host : options.rdap.All()) entries.push_back(host + ":good:" + std::to_string(options.nFrontPort));
    for (std::size_t s = 0; s < corpus.SiteCount(); ++s) {
        const SimSite& site = corpus.Site(static_cast<int>(s));
        auto it = kCertificates.find(site.scheme);
        if (it == kCertificates.end()) continue;
        entries.push_back(site.host + ":" + it->second + ":" + std::to_string(SitePagePort(options, site.scheme)));
    }
    return entries;
}

}  // namespace simweb
