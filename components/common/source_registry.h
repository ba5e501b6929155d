#pragma once
// Where the sources of today's web are stored. The main program writes
// them from its Sources dialog; the WhoIs component reads its own choice
// on every call, as it keeps nothing between calls.
constexpr char kSourcesKey[] = "SOFTWARE\\Pellmark\\Sources";
// REG_DWORD: 0 (or missing) the classic lookup page, 1 RDAP.
constexpr char kWhoIsSourceValue[] = "WhoIs";
// REG_SZ: the RDAP bootstrap file's address, stored only where another
// one answers in IANA's place (the local web does).
constexpr char kRdapBootstrapValue[] = "RdapBootstrap";
constexpr char kIanaRdapBootstrap[] = "https://data.iana.org/rdap/dns.json";
