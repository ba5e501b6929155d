// RDAP: the bootstrap file, the names asked for a host, and the contact
// addresses of domain answers in the shapes RFC 9083, RFC 9537 and the
// registries' response profile give them, hostile ones included.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rdap_answer.h"

namespace {

using Names = std::vector<std::string>;

// A jCard with the given properties after its version.
std::string Card(const std::string& properties) {
    return R"("vcardArray": ["vcard", [["version", {}, "text", "4.0"])" + properties + "]]";
}
std::string Email(const std::string& value) { return R"(, ["email", {"type": "work"}, "text", ")" + value + "\"]"; }
std::string Entity(const std::string& roles, const std::string& card, const std::string& nested = "") {
    return R"({"objectClassName": "entity", "handle": "H", "roles": [)" + roles + "], " + card +
           (nested.empty() ? "" : R"(, "entities": [)" + nested + "]") + "}";
}
std::string Domain(const std::string& entities, const std::string& extra = "") {
    return R"({"rdapConformance": ["rdap_level_0"], "objectClassName": "domain", "ldhName": "EXAMPLE.COM", )" + extra +
           R"("entities": [)" + entities + "]}";
}
const std::string kRegistrar =
    Entity(R"("registrar")", Card(R"(, ["fn", {}, "text", "Example Registrar"])" + Email("rdap@registrar.example")),
           Entity(R"("abuse")", Card(Email("abuse@registrar.example"))));
const std::string kRelated =
    R"("links": [{"value": "https://rdap.example/com/v1/domain/EXAMPLE.COM", "rel": "self", "href": "https://rdap.example/com/v1/domain/EXAMPLE.COM", "type": "application/rdap+json"},
                 {"rel": "related", "type": "text/html", "href": "https://registrar.example/whois"},
                 {"value": "x", "rel": "related", "href": "https://rdap.registrar.example/domain/EXAMPLE.COM", "type": "application/rdap+json"},
                 {"rel": "related", "href": "https://second.example/domain/EXAMPLE.COM", "type": "application/rdap+json"}],)";

struct DomainCase {
    const char* szName;
    int nStatus;
    std::string body;
    RdapOutcome eOutcome;
    Names addresses;  // merged
    const char* szRelated;
};

TEST(ReadRdapDomain, ContactsOfTheDomainsOwnRoles) {
    const DomainCase kCases[] = {
        {"thin registry: registrar only, link to its answer", 200, Domain(kRegistrar, kRelated), RdapOutcome::Found, {},
         "https://rdap.registrar.example/domain/EXAMPLE.COM"},
        {"roles in order, each address once", 200,
         Domain(Entity(R"("billing")", Card(Email("bill@example.com"))) + "," +
                Entity(R"("technical", "administrative")", Card(Email("tech@example.com"))) + "," + kRegistrar + "," +
                Entity(R"("registrant")", Card(Email("owner@example.com") + Email("OWNER@example.com"))) + "," +
                Entity(R"("administrative")", Card(Email("owner@example.com")))),
         RdapOutcome::Found, {"owner@example.com", "tech@example.com", "bill@example.com"}, ""},
        {"nested entities count by their own roles", 200,
         Domain(Entity(R"("registrar")", Card(Email("r@registrar.example")),
                       Entity(R"("technical")", Card(Email("noc@example.com"))) + "," +
                           Entity(R"("abuse")", Card(Email("abuse@registrar.example"))))),
         RdapOutcome::Found, {"noc@example.com"}, ""},
        {"an abuse contact that is also technical gives nothing", 200,
         Domain(Entity(R"("abuse", "technical")", Card(Email("abuse@registrar.example")))), RdapOutcome::Found, {}, ""},
        {"redacted values and a removed one", 200,
         Domain(Entity(R"("registrant")", Card(Email("REDACTED FOR PRIVACY") + Email("redacted@redacted.invalid"))) + "," +
                    Entity(R"("technical")", Card(Email(""))) + "," +
                    Entity(R"("administrative")", Card(R"(, ["contact-uri", {}, "uri", "https://registrar.example/contact"])")),
                R"("redacted": [{"name": {"type": "Registrant Email"}, "prePath": "$.entities[?(@.roles[0]=='registrant')].vcardArray[1][?(@[0]=='email')][3]", "method": "removal"}],)"),
         RdapOutcome::Found, {}, ""},
        {"a privacy service's forwarding address", 200,
         Domain(Entity(R"("registrant")",
                       Card(R"(, ["fn", {}, "text", "Privacy service provided by Withheld for Privacy ehf"])" +
                            Email("5f1e2d@withheldforprivacy.com")))),
         RdapOutcome::Found, {"5f1e2d@withheldforprivacy.com"}, ""},
        {"several values of one property", 200,
         Domain(Entity(R"("registrant")", Card(R"(, ["email", {}, "text", "a@example.com", "b@example.com", 7])"))),
         RdapOutcome::Found, {"a@example.com", "b@example.com"}, ""},
        {"not found", 404, R"({"errorCode": 404, "title": "Not Found", "description": ["no such domain"]})",
         RdapOutcome::NotFound, {}, ""},
        {"rate limited", 429, "", RdapOutcome::RateLimited, {}, ""},
        {"server fault", 503, Domain(Entity(R"("registrant")", Card(Email("x@example.com")))), RdapOutcome::Failed, {}, ""},
        {"another object class", 200, R"({"objectClassName": "entity", "entities": []})", RdapOutcome::Failed, {}, ""},
        {"not an object", 200, R"(["domain"])", RdapOutcome::Failed, {}, ""},
        {"truncated", 200, Domain(kRegistrar).substr(0, 40), RdapOutcome::Failed, {}, ""},
        {"wrong types everywhere", 200,
         R"({"objectClassName": "domain", "links": {"rel": "related"}, "entities": [1, "x", {"roles": "registrant", "vcardArray": ["vcard", [["email", {}, "text", "a@example.com"]]]},
             {"roles": ["registrant"], "vcardArray": ["vcard", "email"]}, {"roles": ["registrant"], "vcardArray": ["vcard", [["email", {}, "text"], "email", ["email"]]]},
             {"roles": [7, null, "technical"], "vcardArray": {"email": "b@example.com"}}]})",
         RdapOutcome::Found, {}, ""},
        {"a related link that is no web address", 200,
         Domain("", R"x("links": [{"rel": "related", "type": "application/rdap+json", "href": "javascript:alert(1)"}],)x"),
         RdapOutcome::Found, {}, ""},
        {"deeply nested entities", 200,
         R"({"objectClassName": "domain", "entities": )" + std::string(100000, '[') + std::string(100000, ']') + "}",
         RdapOutcome::Failed, {}, ""},
    };
    for (const DomainCase& c : kCases) {
        SCOPED_TRACE(c.szName);
        const RdapDomainAnswer answer = ReadRdapDomain(c.nStatus, c.body);
        EXPECT_EQ(answer.eOutcome, c.eOutcome);
        EXPECT_EQ(MergeRdapContacts({answer}), c.addresses);
        EXPECT_EQ(answer.related, c.szRelated);
    }
}

// A thin registry's answer and the registrar's are read together: role by
// role, the registry's first, each address once.
TEST(ReadRdapDomain, BothAnswersOfAThinRegistry) {
    const RdapDomainAnswer registry = ReadRdapDomain(
        200, Domain(Entity(R"("technical")", Card(Email("noc@example.com"))) + "," + kRegistrar, kRelated));
    const RdapDomainAnswer registrar = ReadRdapDomain(
        200, Domain(Entity(R"("technical")", Card(Email("NOC@example.com"))) + "," +
                    Entity(R"("registrant")", Card(Email("owner@example.com")))));
    EXPECT_EQ(MergeRdapContacts({registry, registrar}), (Names{"owner@example.com", "noc@example.com"}));
}

TEST(RdapBootstrap, BaseOfTheTopLevelLabel) {
    const std::string file = R"({"version": "1.0", "publication": "2024-01-01T00:00:00Z", "description": "RDAP bootstrap file for Domain Name System registrations",
        "services": [[["com", "net"], ["http://rdap.verisign.com/com/v1/", "https://rdap.verisign.com/com/v1/"]],
                     [["ORG"], ["https://rdap.publicinterestregistry.org/rdap"]],
                     [["uk"], ["http://rdap.nominet.uk/uk/"]],
                     [["bad"], ["ftp://x/", 5]], "x", [["odd"]], [[7, ""], ["https://nowhere.example/"]]]})";
    RdapBootstrap bootstrap;
    ASSERT_TRUE(ReadRdapBootstrap(file, bootstrap));
    const std::pair<const char*, const char*> kBases[] = {
        {"example.com", "https://rdap.verisign.com/com/v1/"},  // https preferred
        {"www.EXAMPLE.NET", "https://rdap.verisign.com/com/v1/"},
        {"wikipedia.org", "https://rdap.publicinterestregistry.org/rdap/"},  // made to end in "/"
        {"example.co.uk", "http://rdap.nominet.uk/uk/"},  // http where nothing else is given
        {"example.bad", ""},
        {"example.odd", ""},
        {"example.invalid", ""},
    };
    for (const auto& base : kBases) EXPECT_EQ(RdapBaseFor(bootstrap, base.first), base.second) << base.first;
    for (const char* szBroken : {"", "{", "[]", R"({"services": {}})", R"({"version": "1.0"})"}) {
        EXPECT_FALSE(ReadRdapBootstrap(szBroken, bootstrap)) << szBroken;
        EXPECT_TRUE(bootstrap.bases.empty()) << szBroken;
    }
}

TEST(RdapCandidateNames, FromTheHostDownToTwoLabels) {
    const std::pair<const char*, Names> kCases[] = {
        {"www.Example.co.uk.", {"www.example.co.uk", "example.co.uk", "co.uk"}},
        {"example.com", {"example.com"}},
        {"xn--bcher-kva.example", {"xn--bcher-kva.example"}},
        {"a.b.c.d.e.f.g.h.com", {"d.e.f.g.h.com", "e.f.g.h.com", "f.g.h.com", "g.h.com", "h.com"}},
        {"localhost", {}},
        {"127.0.68.5", {}},
        {"[::1]", {}},
        {"example.com:8080", {}},
        {"example.com/domain/x", {}},
        {"exa mple.com", {}},
        {"a..com", {}},
        {".com", {}},
        {"", {}},
        {"b\xC3\xBC" "cher.example", {}},
    };
    for (const auto& c : kCases) EXPECT_EQ(RdapCandidateNames(c.first), c.second) << c.first;
    EXPECT_TRUE(RdapCandidateNames(std::string(250, 'a') + ".com").empty());
}

TEST(RetryAfterSeconds, DeltaOrDate) {
    const int64_t nNow = 784111777;  // Sun, 06 Nov 1994 08:49:37 GMT
    const std::pair<const char*, int64_t> kCases[] = {
        {"1", 1}, {" 120 ", 120}, {"0", 0}, {"Sun, 06 Nov 1994 08:49:40 GMT", 3}, {"Sun, 06 Nov 1994 08:49:00 GMT", 0},
        {"Mon, 01 Jan 2001 00:00:00 GMT", 978307200 - nNow}, {"Sun, 06 Nov 1994 08:49:40 PST", -1},
        {"Sun, 06 Abc 1994 08:49:40 GMT", -1}, {"-5", -1}, {"1.5", -1}, {"", -1}, {"99999999999", -1},
    };
    for (const auto& c : kCases) EXPECT_EQ(RetryAfterSeconds(c.first, nNow), c.second) << c.first;
}

}  // namespace
