#include "rdap_services.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <iterator>
#include <utility>

#include <nlohmann/json.hpp>

#include "engine_pages.h"
#include "sim_text.h"

namespace simweb {

namespace {

using Json = nlohmann::ordered_json;

constexpr char kRdapType[] = "application/rdap+json";
constexpr char kPrivacyDomain[] = "veilwardprivacy.example";
// A top-level domain the bootstrap file sends to a server nobody runs.
constexpr char kUnservedBase[] = "https://rdap.unserved.invalid/";
constexpr std::size_t kMaxNameLength = 253;
constexpr std::size_t kMaxLabelLength = 63;
constexpr int kFirstHandle = 1000000;
// The query types of the protocol that this registry does not answer.
const char* const kOtherQueryTypes[] = {"nameserver", "entity", "ip", "autnum", "help", "domains", "nameservers",
                                        "entities"};
const char* const kRegistryTlds[] = {"com", "net"};

// Where the "redacted" members point: the registrant, the administrative
// contact nested in it, and the technical contact.
const char kRegistrantPath[] = "$.entities[?(@.roles[0]=='registrant')]";
const char kAdministrativePath[] = "$.entities[?(@.roles[0]=='registrant')].entities[?(@.roles[0]=='administrative')]";
const char kTechnicalPath[] = "$.entities[?(@.roles[0]=='technical')]";

HttpAnswer JsonAnswer(int nStatus, const Json& value, const char* szType) {
    HttpAnswer answer = MakeAnswer(nStatus, value.dump(-1, ' ', false, Json::error_handler_t::replace));
    answer.contentType = szType;
    return answer;
}

HttpAnswer RdapError(int nStatus, const char* szTitle, const char* szDescription) {
    Json error;
    error["rdapConformance"] = Json::array({"rdap_level_0"});
    error["errorCode"] = nStatus;
    error["title"] = szTitle;
    error["description"] = Json::array({szDescription});
    return JsonAnswer(nStatus, error, kRdapType);
}

HttpAnswer NotRegistered() { return RdapError(404, "Not Found", "The domain is not registered here."); }

HttpAnswer RateLimited() {
    HttpAnswer answer = RdapError(429, "Too Many Requests", "Too many queries for this domain; try again later.");
    answer.retryAfter = "1";
    return answer;
}

std::string Timestamp(std::time_t when) {
    const std::tm* pTime = std::gmtime(&when);
    char szText[32] = "1970-01-01T00:00:00Z";
    if (pTime) std::strftime(szText, sizeof szText, "%Y-%m-%dT%H:%M:%SZ", pTime);
    return szText;
}

// A site's registration history, the same at every start.
std::string SiteDate(int site, int nYearsLater) {
    char szText[64];
    std::snprintf(szText, sizeof szText, "%04d-%02d-%02dT%02d:%02d:00Z", 1997 + site % 23 + nYearsLater, site * 5 % 12 + 1,
                  site * 11 % 28 + 1, site * 7 % 24, site * 13 % 60);
    return szText;
}

uint32_t Fnv1a(const std::string& text, uint32_t nHash) {
    for (char c : text) {
        nHash ^= static_cast<unsigned char>(c);
        nHash *= 16777619u;
    }
    return nHash;
}

bool IsLabel(const std::string& label) {
    if (label.empty() || label.size() > kMaxLabelLength || label.front() == '-' || label.back() == '-') return false;
    return std::all_of(label.begin(), label.end(),
                       [](char c) { return IsWordChar(c) || c == '-' || static_cast<unsigned char>(c) >= 0x80; });
}

// A queried name as the servers compare it: escapes decoded, ASCII letters
// lower case, one final dot dropped. False for what is no domain name (an
// empty label, a character no label holds); a name of other letters than
// ASCII is one, though none is registered.
bool ReadDomainName(const std::string& raw, std::string& name) {
    name = ToLower(PercentDecode(raw, false));
    if (!name.empty() && name.back() == '.') name.pop_back();
    if (name.empty() || name.size() > kMaxNameLength) return false;
    for (std::size_t start = 0; start <= name.size();) {
        std::size_t end = std::min(name.find('.', start), name.size());
        if (!IsLabel(name.substr(start, end - start))) return false;
        start = end + 1;
    }
    return true;
}

bool InZone(const std::string& name, const std::string& tld) {
    return tld.empty() || (name.size() > tld.size() + 1 && name.compare(name.size() - tld.size() - 1, std::string::npos,
                                                                        "." + tld) == 0);
}

Json Property(const char* szName, const std::string& value, const char* szType = "text", Json params = Json::object()) {
    return Json::array({szName, std::move(params), szType, value});
}

Json Vcard(std::vector<Json> properties) {
    Json list = Json::array({Property("version", "4.0")});
    for (Json& property : properties) list.push_back(std::move(property));
    return Json::array({"vcard", std::move(list)});
}

Json Entity(const std::string& handle, Json roles, Json vcard) {
    Json entity;
    entity["objectClassName"] = "entity";
    if (!handle.empty()) entity["handle"] = handle;
    entity["roles"] = std::move(roles);
    entity["vcardArray"] = std::move(vcard);
    return entity;
}

// "value" is the address of the answer the link stands in.
Json Link(const char* szRel, const std::string& self, const std::string& href, const char* szType) {
    return Json{{"value", self}, {"rel", szRel}, {"href", href}, {"type", szType}};
}

Json RegistrarEntity(std::size_t nRegistrar) {
    RdapRegistrar registrar = RdapRegistrarInfo(nRegistrar);
    std::string id = std::to_string(registrar.nIanaId);
    Json abuse = Entity("", Json::array({"abuse"}),
                        Vcard({Property("fn", "Abuse Contact"),
                               Property("tel", registrar.abusePhone, "uri", Json{{"type", Json::array({"voice"})}}),
                               Property("email", registrar.abuseEmail)}));
    Json entity = Entity(id, Json::array({"registrar"}),
                         Vcard({Property("fn", registrar.name), Property("email", registrar.email)}));
    entity["publicIds"] = Json::array({Json{{"type", "IANA Registrar ID"}, {"identifier", id}}});
    entity["entities"] = Json::array({std::move(abuse)});
    return entity;
}

Json Events(int site, const std::string& now) {
    Json events = Json::array();
    const std::pair<const char*, int> kHistory[] = {{"registration", 0}, {"expiration", 40}, {"last changed", 1}};
    for (const auto& event : kHistory)
        events.push_back(Json{{"eventAction", event.first}, {"eventDate", SiteDate(site, event.second)}});
    events.push_back(Json{{"eventAction", "last update of RDAP database"}, {"eventDate", now}});
    return events;
}

Json Notice(const char* szTitle, const char* szDescription, const char* szRel, const char* szHref, const std::string& self) {
    return Json{{"title", szTitle},
                {"description", Json::array({szDescription})},
                {"links", Json::array({Link(szRel, self, szHref, "text/html")})}};
}

// What the registry and the registrar both say of a domain: the gTLD
// profile's notices, and the registrar with its abuse desk.
Json DomainObject(int site, const std::string& name, const std::string& self, std::size_t nRegistrar,
                  const std::string& now) {
    const std::string nameservers = RdapRegistrarInfo(nRegistrar).domain;
    Json domain;
    domain["rdapConformance"] =
        Json::array({"rdap_level_0", "icann_rdap_response_profile_1", "icann_rdap_technical_implementation_guide_1"});
    domain["objectClassName"] = "domain";
    domain["handle"] = std::to_string(kFirstHandle + site) + "_DOMAIN-SIMWEB";
    domain["ldhName"] = name;
    domain["links"] = Json::array({Link("self", self, self, kRdapType)});
    domain["status"] = Json::array({"client transfer prohibited"});
    domain["events"] = Events(site, now);
    domain["nameservers"] = Json::array({Json{{"objectClassName", "nameserver"}, {"ldhName", "ns1." + nameservers}},
                                         Json{{"objectClassName", "nameserver"}, {"ldhName", "ns2." + nameservers}}});
    domain["secureDNS"] = Json{{"delegationSigned", false}};
    domain["entities"] = Json::array({RegistrarEntity(nRegistrar)});
    domain["notices"] = Json::array(
        {Notice("Status Codes", "For more information on domain status codes, please visit https://icann.org/epp",
                "glossary", "https://icann.org/epp", self),
         Notice("RDDS Inaccuracy Complaint Form",
                "URL of the ICANN RDDS Inaccuracy Complaint Form: https://icann.org/wicf", "help",
                "https://icann.org/wicf", self)});
    return domain;
}

// How a contact's card reads: an e-mail property only where bEmail, a
// web form only where contactUri is set.
struct Card {
    std::string fn;
    std::string org;
    bool bEmail = true;
    std::string email;
    std::string contactUri;
};

Json CardVcard(const Card& card) {
    std::vector<Json> properties = {Property("fn", card.fn)};
    if (!card.org.empty()) properties.push_back(Property("org", card.org));
    if (card.bEmail) properties.push_back(Property("email", card.email));
    if (!card.contactUri.empty()) properties.push_back(Property("contact-uri", card.contactUri, "uri"));
    return Vcard(std::move(properties));
}

std::string Capitalized(std::string word) {
    if (!word.empty() && word[0] >= 'a' && word[0] <= 'z') word[0] = static_cast<char>(word[0] - 'a' + 'A');
    return word;
}

// "Bluefish Hostmaster" for hostmaster@bluefish.com.
Card PlainCard(const std::string& name, const std::string& address) {
    Card card;
    card.fn = Capitalized(name.substr(0, name.find('.'))) + " " + Capitalized(address.substr(0, address.find('@')));
    card.email = address;
    return card;
}

// A site's contacts in its style: the registrant (the first WhoIs
// address), the administrative contact (the same person), and one for
// technical and billing matters per further address. The site has
// addresses.
struct Contacts {
    Card registrant;
    Card administrative;
    std::vector<Card> others;
};

Contacts StyledContacts(const CCorpus& corpus, int site, RdapStyle style, std::size_t nRegistrar) {
    const std::string name = ToLower(corpus.Site(site).name);
    const std::vector<std::string>& whois = corpus.WhoIsEmails(site);
    Contacts contacts;
    contacts.registrant = PlainCard(name, whois[0]);
    for (std::size_t i = 1; i < whois.size(); ++i) contacts.others.push_back(PlainCard(name, whois[i]));
    if (style == RdapStyle::Privacy) {
        const Card privacy{"Redacted for Privacy", kPrivacyServiceOrg, true, PrivacyForwardingAddress(corpus, site), ""};
        contacts.registrant = privacy;
        contacts.others.assign(contacts.others.size(), privacy);
    } else if (style == RdapStyle::Redacted) {
        // The registrant is reached through the registrar's web form; the
        // others show no address.
        contacts.registrant = Card{"", "", false, "",
                                   "https://www." + RdapRegistrarInfo(nRegistrar).domain + "/contact-registrant?domain=" + name};
        contacts.administrative = Card{"", "", true, "", ""};
        contacts.others.assign(contacts.others.size(), Card{"", "", true, kRedactedForPrivacy, ""});
        return contacts;
    }
    contacts.administrative = contacts.registrant;
    return contacts;
}

std::string CardPath(const char* szEntity, const char* szProperty) {
    return std::string(szEntity) + ".vcardArray[1][?(@[0]=='" + szProperty + "')]";
}

// One member of "redacted": the field's name (a registered type, or a
// description where none is registered), where it was or is now, and how
// it went.
Json RedactedMember(const char* szNameKey, const char* szName, const char* szPathKey, const std::string& path,
                    const char* szMethod) {
    Json member;
    member["name"] = Json{{szNameKey, szName}};
    member[szPathKey] = path;
    member["pathLang"] = "jsonpath";
    member["method"] = szMethod;
    member["reason"] = Json{{"description", "Server policy"}};
    return member;
}

// The registrant's handle is removed, its name emptied and its address
// replaced by a web form; the administrative contact's address is emptied
// and the technical contact's replaced by the placeholder.
Json RedactedMembers(bool bTechnical) {
    Json members = Json::array(
        {RedactedMember("type", "Registry Registrant ID", "prePath", std::string(kRegistrantPath) + ".handle", "removal"),
         RedactedMember("type", "Registrant Name", "postPath", CardPath(kRegistrantPath, "fn") + "[3]", "emptyValue"),
         RedactedMember("type", "Registrant Email", "prePath", CardPath(kRegistrantPath, "email"), "replacementValue"),
         RedactedMember("description", "Administrative Name", "postPath", CardPath(kAdministrativePath, "fn") + "[3]",
                        "emptyValue"),
         RedactedMember("description", "Administrative Email", "postPath",
                        CardPath(kAdministrativePath, "email") + "[3]", "emptyValue")});
    members[2]["replacementPath"] = CardPath(kRegistrantPath, "contact-uri");
    if (!bTechnical) return members;
    members.push_back(RedactedMember("type", "Tech Name", "postPath", CardPath(kTechnicalPath, "fn") + "[3]", "emptyValue"));
    members.push_back(
        RedactedMember("type", "Tech Email", "postPath", CardPath(kTechnicalPath, "email") + "[3]", "replacementValue"));
    return members;
}

// The registrant holds the administrative contact as an entity of its
// own; each further contact is one entity in two roles.
void AddContacts(const CCorpus& corpus, int site, RdapStyle style, std::size_t nRegistrar, Json& domain) {
    if (corpus.WhoIsEmails(site).empty() || style == RdapStyle::RegistrarOnly) return;
    const Contacts contacts = StyledContacts(corpus, site, style, nRegistrar);
    const std::string handle = "C" + std::to_string(kFirstHandle + site) + "-SIMWEB";
    Json registrant = Entity(style == RdapStyle::Redacted ? "" : handle + "R", Json::array({"registrant"}),
                             CardVcard(contacts.registrant));
    registrant["entities"] =
        Json::array({Entity(handle + "A", Json::array({"administrative"}), CardVcard(contacts.administrative))});
    domain["entities"].push_back(std::move(registrant));
    for (std::size_t i = 0; i < contacts.others.size(); ++i)
        domain["entities"].push_back(Entity(handle + "T" + std::to_string(i + 1), Json::array({"technical", "billing"}),
                                            CardVcard(contacts.others[i])));
    if (style != RdapStyle::Redacted) return;
    domain["rdapConformance"].push_back("redacted");
    domain["redacted"] = RedactedMembers(!contacts.others.empty());
}

std::vector<RdapStyle> PlanStyles(const CCorpus& corpus) {
    static const RdapStyle kTurns[] = {RdapStyle::Plain, RdapStyle::Redacted, RdapStyle::Privacy,
                                       RdapStyle::RateLimitedOnce};
    std::vector<RdapStyle> styles;
    std::size_t nWithAddresses = 0;
    for (std::size_t s = 0; s < corpus.SiteCount(); ++s)
        styles.push_back(corpus.WhoIsEmails(static_cast<int>(s)).empty()
                             ? RdapStyle::RegistrarOnly
                             : kTurns[nWithAddresses++ % (sizeof kTurns / sizeof kTurns[0])]);
    return styles;
}

std::string DomainUrl(const std::string& host, const std::string& base, const std::string& name) {
    return "https://" + host + base + "domain/" + name;
}

Json BootstrapService(const char* szTld, const std::string& host, const char* szBase) {
    return Json::array({Json::array({szTld}), Json::array({"https://" + host + szBase})});
}

}  // namespace

std::vector<std::string> RdapHosts::All() const {
    std::vector<std::string> hosts;
    for (const std::string* pHost : {&bootstrap, &registry})
        if (!pHost->empty()) hosts.push_back(*pHost);
    hosts.insert(hosts.end(), registrars.begin(), registrars.end());
    return hosts;
}

const char* RdapStyleName(RdapStyle style) {
    static const char* const kNames[kRdapStyles] = {"plain", "redacted", "privacy", "429-once", "registrar-only"};
    return kNames[static_cast<std::size_t>(style)];
}

RdapStyle RdapStyleOf(const CCorpus& corpus, int site) { return PlanStyles(corpus)[static_cast<std::size_t>(site)]; }

std::string PrivacyForwardingAddress(const CCorpus& corpus, int site) {
    const std::string name = ToLower(corpus.Site(site).name);
    char szLocal[24];
    std::snprintf(szLocal, sizeof szLocal, "%08x%08x", static_cast<unsigned>(Fnv1a(name, 2166136261u)),
                  static_cast<unsigned>(Fnv1a(name, 16777619u)));
    return std::string(szLocal) + "@" + kPrivacyDomain;
}

std::size_t RdapRegistrarOf(int site, std::size_t nRegistrars) {
    return nRegistrars == 0 ? 0 : static_cast<std::size_t>(site) % nRegistrars;
}

// Four registrars by name; more take the same names again, numbered.
RdapRegistrar RdapRegistrarInfo(std::size_t nRegistrar) {
    static const char* const kNames[][2] = {{"Lanternfold Registrar, Inc.", "lanternfold"},
                                            {"Quillmoor Names Ltd.", "quillmoor"},
                                            {"Brightwater Domains LLC", "brightwater"},
                                            {"Oakhollow Registry Services, Inc.", "oakhollow"}};
    constexpr std::size_t kNamed = sizeof kNames / sizeof kNames[0];
    const std::string round = nRegistrar < kNamed ? "" : std::to_string(nRegistrar / kNamed + 1);
    RdapRegistrar registrar;
    registrar.name = kNames[nRegistrar % kNamed][0] + (round.empty() ? round : " " + round);
    registrar.domain = kNames[nRegistrar % kNamed][1] + round + ".example";
    registrar.nIanaId = 9101 + static_cast<int>(nRegistrar);
    registrar.email = "registrar@" + registrar.domain;
    registrar.abuseEmail = "abuse@" + registrar.domain;
    registrar.abusePhone = "tel:+1.555555" + std::to_string(1000 + nRegistrar);
    return registrar;
}

CRdapServices::CRdapServices(const CCorpus& corpus, const RdapHosts& hosts)
    : m_corpus(corpus), m_hosts(hosts), m_styles(PlanStyles(corpus)), m_now(Timestamp(std::time(nullptr))) {
    for (std::size_t s = 0; s < corpus.SiteCount(); ++s)
        m_siteByName.emplace(ToLower(corpus.Site(static_cast<int>(s)).name), static_cast<int>(s));
}

HttpAnswer CRdapServices::Answer(const std::string& host, const std::string& target) {
    const std::string path = target.substr(0, target.find('?'));
    if (host == m_hosts.bootstrap) return Bootstrap(path);
    if (host == m_hosts.registry) return Registry(path);
    for (std::size_t i = 0; i < m_hosts.registrars.size(); ++i)
        if (host == m_hosts.registrars[i]) return Registrar(i, path);
    return MakeAnswer(404, NotFoundPage());
}

// The registry's top-level domains after one nobody serves, so that only a
// reader that looks for the name's own finds the registry.
HttpAnswer CRdapServices::Bootstrap(const std::string& path) const {
    if (path != kRdapBootstrapPath) return MakeAnswer(404, NotFoundPage());
    Json services = Json::array({Json::array({Json::array({"org", "info"}), Json::array({kUnservedBase})})});
    if (!m_hosts.registry.empty()) {
        services.push_back(BootstrapService("net", m_hosts.registry, kRdapNetBase));
        services.push_back(BootstrapService("com", m_hosts.registry, kRdapComBase));
    }
    Json file;
    file["version"] = "1.0";
    file["publication"] = m_now;
    file["description"] = "RDAP bootstrap file for Domain Name System registrations";
    file["services"] = std::move(services);
    return JsonAnswer(200, file, "application/json");
}

int CRdapServices::FindDomain(const std::string& rest, const std::string& tld, HttpAnswer& refusal) const {
    const std::size_t slash = rest.find('/');
    const std::string type = rest.substr(0, slash);
    std::string name;
    if (type != "domain") {
        const bool bKnown =
            std::find(std::begin(kOtherQueryTypes), std::end(kOtherQueryTypes), type) != std::end(kOtherQueryTypes);
        refusal = bKnown ? RdapError(501, "Not Implemented", "This server answers domain queries only.")
                         : RdapError(400, "Bad Request", "This is no RDAP query.");
        return -1;
    }
    if (slash == std::string::npos || !ReadDomainName(rest.substr(slash + 1), name)) {
        refusal = RdapError(400, "Bad Request", "The query names no domain.");
        return -1;
    }
    auto it = m_siteByName.find(name);
    if (it != m_siteByName.end() && InZone(name, tld)) return it->second;
    refusal = NotRegistered();
    return -1;
}

// A thin registry: the registrar and where its answer is, no contact.
HttpAnswer CRdapServices::Registry(const std::string& path) const {
    for (const char* szTld : kRegistryTlds) {
        const std::string base = std::string("/") + szTld + "/v1/";
        if (!StartsWith(path, base.c_str())) continue;
        HttpAnswer refusal;
        int site = FindDomain(path.substr(base.size()), szTld, refusal);
        if (site < 0) return refusal;
        const std::string name = ToLower(m_corpus.Site(site).name);
        const std::string self = DomainUrl(m_hosts.registry, base, name);
        const std::size_t nRegistrar = RdapRegistrarOf(site, m_hosts.registrars.size());
        Json domain = DomainObject(site, name, self, nRegistrar, m_now);
        if (nRegistrar < m_hosts.registrars.size())
            domain["links"].push_back(
                Link("related", self, DomainUrl(m_hosts.registrars[nRegistrar], kRdapRegistrarBase, name), kRdapType));
        return JsonAnswer(200, domain, kRdapType);
    }
    return RdapError(404, "Not Found", "This registry runs no such top-level domain.");
}

// A registrar knows the domains it holds, in its style.
HttpAnswer CRdapServices::Registrar(std::size_t nRegistrar, const std::string& path) {
    if (!StartsWith(path, kRdapRegistrarBase)) return RdapError(404, "Not Found", "No RDAP service here.");
    HttpAnswer refusal;
    int site = FindDomain(path.substr(std::strlen(kRdapRegistrarBase)), "", refusal);
    if (site < 0) return refusal;
    if (RdapRegistrarOf(site, m_hosts.registrars.size()) != nRegistrar) return NotRegistered();
    const RdapStyle style = m_styles[static_cast<std::size_t>(site)];
    if (style == RdapStyle::RateLimitedOnce && TakeFirstRequest(site)) return RateLimited();
    const std::string name = ToLower(m_corpus.Site(site).name);
    Json domain =
        DomainObject(site, name, DomainUrl(m_hosts.registrars[nRegistrar], kRdapRegistrarBase, name), nRegistrar, m_now);
    AddContacts(m_corpus, site, style, nRegistrar, domain);
    return JsonAnswer(200, domain, kRdapType);
}

bool CRdapServices::TakeFirstRequest(int site) {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_refusedOnce.insert(site).second;
}

}  // namespace simweb
