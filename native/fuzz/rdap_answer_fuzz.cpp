// An RDAP answer under any status, read as a domain answer and as a
// bootstrap file, and the names asked for a host made of the same bytes.
#include "fuzz_input.h"
#include "rdap_answer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* lpData, std::size_t nSize) {
    const FuzzedAnswer answer = SplitAnswer(lpData, nSize);
    const RdapDomainAnswer domain = ReadRdapDomain(answer.nStatus, answer.body);
    if (domain.eOutcome != RdapOutcome::Found && (!domain.contacts.empty() || !domain.related.empty())) __builtin_trap();
    const std::vector<std::string> addresses = MergeRdapContacts({domain, domain});
    if (addresses.size() > domain.contacts.size()) __builtin_trap();

    RdapBootstrap bootstrap;
    if (!ReadRdapBootstrap(answer.body, bootstrap) && !bootstrap.bases.empty()) __builtin_trap();
    for (const auto& base : bootstrap.bases)
        if (base.second.empty() || base.second.back() != '/') __builtin_trap();

    const std::string host = answer.body.substr(0, answer.body.find('\n'));
    for (const std::string& name : RdapCandidateNames(host)) {
        if (name.empty() || name.size() > host.size() || name.find('/') != std::string::npos) __builtin_trap();
        (void)RdapBaseFor(bootstrap, name);
    }
    (void)RetryAfterSeconds(host, 0);
    return 0;
}
