#pragma once
// RDAP for the corpus's domains, written from the protocol's public
// documents (the bootstrap file, the query paths, the JSON answers and
// their redaction) and the gTLD response profile: a bootstrap file that
// points the corpus's top-level domain at a thin registry; the registry,
// which knows each registered name, its registrar and the link to that
// registrar's own RDAP server; and the registrars, which hold the
// contacts and show them in one of the styles met in the wild.
#include <cstddef>
#include <mutex>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "corpus.h"
#include "request_router.h"

namespace simweb {

// Where the RDAP servers listen; each needs an address of its own.
struct RdapHosts {
    std::string bootstrap;                // empty: not served
    std::string registry;                 // empty: not served
    std::vector<std::string> registrars;  // the sites are shared out among them
    // Every address served, the bootstrap's first.
    std::vector<std::string> All() const;
};

// The registry's base for the corpus's top-level domain and for the one
// beside it that it also runs, as the bootstrap file lists them, and the
// registrars' base.
constexpr char kRdapComBase[] = "/com/v1/";
constexpr char kRdapNetBase[] = "/net/v1/";
constexpr char kRdapRegistrarBase[] = "/rdap/";
constexpr char kRdapBootstrapPath[] = "/dns.json";
// The value a Redacted answer shows in place of an e-mail address.
constexpr char kRedactedForPrivacy[] = "REDACTED FOR PRIVACY";

// How a registrar shows a site's contacts.
enum class RdapStyle {
    Plain,            // each contact with its WhoIs address
    Redacted,         // contacts present, their names and addresses withheld and listed in "redacted"
    Privacy,          // a privacy service stands in for every contact, with a forwarding address
    RateLimitedOnce,  // the first request for the domain gets 429 (Retry-After: 1), later ones Plain
    RegistrarOnly,    // no contact at all
};
constexpr std::size_t kRdapStyles = 5;
const char* RdapStyleName(RdapStyle style);
// A site without WhoIs addresses is RegistrarOnly. The others take Plain,
// Redacted, Privacy and RateLimitedOnce in turn, counted in site order
// over the sites that have addresses only, so the first four such sites
// of any corpus show every style.
RdapStyle RdapStyleOf(const CCorpus& corpus, int site);
// The one address every contact of a Privacy site forwards through.
std::string PrivacyForwardingAddress(const CCorpus& corpus, int site);
constexpr char kPrivacyServiceOrg[] = "Privacy service provided by Veilward Privacy ehf";

// The registrar that holds a site: the site's index modulo their number.
std::size_t RdapRegistrarOf(int site, std::size_t nRegistrars);
struct RdapRegistrar {
    std::string name;
    std::string domain;  // its own web domain, under a name reserved for examples
    int nIanaId = 0;
    std::string email;
    std::string abuseEmail;
    std::string abusePhone;  // a tel: URI
};
RdapRegistrar RdapRegistrarInfo(std::size_t nRegistrar);

class CRdapServices {
public:
    CRdapServices(const CCorpus& corpus, const RdapHosts& hosts);
    CRdapServices(const CRdapServices&) = delete;
    CRdapServices& operator=(const CRdapServices&) = delete;

    // host is the address the request came in on; target the request
    // target in origin form ("/path?query").
    HttpAnswer Answer(const std::string& host, const std::string& target);

private:
    HttpAnswer Bootstrap(const std::string& path) const;
    HttpAnswer Registry(const std::string& path) const;
    HttpAnswer Registrar(std::size_t nRegistrar, const std::string& path);
    // The site a well-formed domain query under the base names: -1 with
    // the refusal to send when there is none.
    int FindDomain(const std::string& rest, const std::string& tld, HttpAnswer& refusal) const;
    bool TakeFirstRequest(int site);

    const CCorpus& m_corpus;
    RdapHosts m_hosts;
    std::unordered_map<std::string, int> m_siteByName;  // lower-case name -> site
    std::vector<RdapStyle> m_styles;
    std::string m_now;  // when the database was last brought up to date
    std::mutex m_lock;
    std::set<int> m_refusedOnce;  // RateLimitedOnce sites already refused
};

}  // namespace simweb
