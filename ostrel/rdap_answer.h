#pragma once
// RDAP, the registries' JSON successor of WhoIs: IANA's bootstrap file,
// the names worth asking for, and the contact addresses of a domain
// answer. Portable, so the native tree tests and fuzzes it; the requests
// are the component's WinINet fetch.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// IANA's bootstrap file for domains: each top-level label and the base
// address of the RDAP service that answers for its names.
struct RdapBootstrap {
    std::map<std::string, std::string> bases;  // lower-case label -> base ending in "/"
};

// Reads "services": [[["com","net"],["https://rdap.example/com/v1/"]], ...].
// A service with an https base is taken in that form, as its registry asks;
// an http one only where no https one is given. False for anything that
// is not such a file (then no label has a base).
bool ReadRdapBootstrap(const std::string& body, RdapBootstrap& bootstrap) noexcept;

// The base for a domain name's top-level label; empty when none is listed.
std::string RdapBaseFor(const RdapBootstrap& bootstrap, const std::string& name);

// The names to ask for, in order: the host itself, then with its leftmost
// label dropped each time, down to two labels ("www.example.co.uk",
// "example.co.uk", "co.uk"): RDAP knows registered domains, not hosts.
// The host is lower-cased and loses a final dot. None for an address
// literal, a single label, or a name with anything but letters, digits,
// "-", "_" and dots (an A-label is all of those): such a host has no
// registration to look up, and nothing else may reach a request path.
// A host of many labels starts at its last kMaxRdapLabels.
constexpr std::size_t kMaxRdapLabels = 6;
std::vector<std::string> RdapCandidateNames(const std::string& host);

enum class RdapOutcome {
    Found,        // a domain object: its addresses (maybe none)
    NotFound,     // 404: the registry has no such domain
    RateLimited,  // 429: asked again after the server's pause, if short
    Failed,       // anything else: malformed, refused, a server fault
};

struct RdapDomainAnswer {
    RdapOutcome eOutcome = RdapOutcome::Failed;
    // The e-mail values of the domain's own contacts: registrant, then
    // administrative, technical and billing, each in the order met (nested
    // entities included). An entity that is the registrar or an abuse
    // contact gives none; an entity nested in it still counts by its own
    // roles. Placeholders of redaction ("REDACTED FOR PRIVACY", removed or
    // emptied values) are left out; a service's forwarding address is kept,
    // since mail to it reaches the registrant. Values as written, not yet
    // checked as addresses.
    std::vector<std::pair<int, std::string>> contacts;  // role order, value
    // A thin registry's pointer to the registrar's own answer: the first
    // links[] entry with rel "related" and type "application/rdap+json",
    // when it is an http or https address.
    std::string related;
};

// Never throws; a body that is no domain object is Failed.
RdapDomainAnswer ReadRdapDomain(int nStatus, const std::string& body) noexcept;

// The addresses of one or more answers, in role order across them (earlier
// answers first within a role), each once regardless of case.
std::vector<std::string> MergeRdapContacts(const std::vector<RdapDomainAnswer>& answers);

// Seconds a Retry-After value asks for: delta-seconds, or an HTTP date
// against now (seconds since 1970, UTC). -1 when the value is neither.
int64_t RetryAfterSeconds(const std::string& value, int64_t nNow);
