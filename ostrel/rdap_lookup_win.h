#pragma once
// The contact addresses RDAP gives for a host: the registry named by
// IANA's bootstrap file, the registered domain found from the host, the
// registrar's own answer behind a thin registry.
#include <string>
#include <vector>

// Where the WhoIs addresses come from, as the Sources dialog stored it.
struct CWhoIsSource {
    bool bRdap = false;  // false: the classic lookup page
    std::string bootstrap;
};
CWhoIsSource ReadWhoIsSource();

// One lookup takes at most this long, whatever the servers do: about what
// one classic lookup can take before WinINet gives up connecting.
constexpr unsigned long kRdapLookupMs = 60000;
// A 429's Retry-After is honoured up to this many seconds, once a request;
// a longer pause ends the lookup without an address.
constexpr long long kMaxRetryAfterSeconds = 5;

// Every address of the domain's own contacts, in role order, each once;
// none when any step fails.
std::vector<std::string> LookUpRdap(const wchar_t* lpHost, const std::string& bootstrapAddress);
