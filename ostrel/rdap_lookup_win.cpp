#include "rdap_lookup_win.h"

#include <windows.h>
#include <wininet.h>

#include <ctime>
#include <chrono>
#include <mutex>

#include "platform_owners_win.h"
#include "rdap_answer.h"
#include "source_registry.h"
#include "web_fetch_win.h"

namespace {

// A domain answer is a few kilobytes, IANA's bootstrap file about forty.
constexpr std::size_t kMaxRdapBytes = 4u * 1024u * 1024u;
// A bootstrap file that could not be had is asked for again after this
// long, not by every lookup: each would wait out the same failure.
constexpr DWORD kBootstrapRetryMs = 60000;
constexpr std::size_t kMaxHostChars = 256;
const char kBootstrapType[] = "application/json";
const char kRdapType[] = "application/rdap+json";

// The bootstrap file, fetched once for the process and kept: it changes
// when a registry moves, a few times a year.
struct CBootstrapCache {
    std::timed_mutex fetching;
    std::mutex lock;
    std::string address;
    RdapBootstrap bootstrap;
    bool bHave = false;
    DWORD dwFailedAt = 0;
    bool bFailed = false;
};

CBootstrapCache& BootstrapCache() {
    static CBootstrapCache s_cache;
    return s_cache;
}

std::string ReadRegistryText(HKEY hKey, const char* szName) {
    char szText[1024] = {};
    DWORD dwType = 0, dwSize = sizeof szText - 1;
    if (RegQueryValueExA(hKey, szName, nullptr, &dwType, reinterpret_cast<BYTE*>(szText), &dwSize) != ERROR_SUCCESS ||
        dwType != REG_SZ)
        return std::string();
    return szText;
}

// An answer, asked again once after a short 429 pause.
bool FetchRdap(HINTERNET hSession, const std::string& address, const char* szAccept, DWORD dwDeadline,
               CFetchedAnswer& answer) {
    for (int nTry = 0; nTry < 2; ++nTry) {
        if (!FetchTyped(hSession, address, szAccept, kMaxRdapBytes, dwDeadline, answer)) return false;
        if (answer.dwStatus != 429 || nTry == 1) break;
        const long long nWait = RetryAfterSeconds(answer.retryAfter, static_cast<long long>(std::time(nullptr)));
        const DWORD dwWaitMs = static_cast<DWORD>(nWait < 0 ? 1000 : nWait * 1000);
        if (nWait > kMaxRetryAfterSeconds || dwWaitMs >= TimeLeft(dwDeadline)) break;
        Sleep(dwWaitMs);
    }
    return answer.bWhole;
}

bool CachedBootstrap(CBootstrapCache& cache, const std::string& address, RdapBootstrap& bootstrap) {
    std::lock_guard<std::mutex> guard(cache.lock);
    if (cache.address != address) return false;
    if (cache.bHave) bootstrap = cache.bootstrap;
    return cache.bHave || (cache.bFailed && GetTickCount() - cache.dwFailedAt < kBootstrapRetryMs);
}

void KeepBootstrap(CBootstrapCache& cache, const std::string& address, const RdapBootstrap& bootstrap, bool bHave) {
    std::lock_guard<std::mutex> guard(cache.lock);
    cache.address = address;
    cache.bootstrap = bootstrap;
    cache.bHave = bHave;
    cache.bFailed = !bHave;
    cache.dwFailedAt = GetTickCount();
}

// One fetch for all the lookups that need the file at once: the others
// wait for it, within their own deadline.
bool TakeBootstrap(HINTERNET hSession, const std::string& address, DWORD dwDeadline, RdapBootstrap& bootstrap) {
    CBootstrapCache& cache = BootstrapCache();
    if (CachedBootstrap(cache, address, bootstrap)) return !bootstrap.bases.empty();
    std::unique_lock<std::timed_mutex> fetching(cache.fetching, std::chrono::milliseconds(TimeLeft(dwDeadline)));
    if (!fetching.owns_lock()) return false;
    if (CachedBootstrap(cache, address, bootstrap)) return !bootstrap.bases.empty();
    CFetchedAnswer answer;
    const bool bHave = FetchRdap(hSession, address, kBootstrapType, dwDeadline, answer) &&
                       answer.dwStatus == 200 && ReadRdapBootstrap(answer.body, bootstrap);
    KeepBootstrap(cache, address, bHave ? bootstrap : RdapBootstrap(), bHave);
    return bHave && !bootstrap.bases.empty();
}

// The host as an A-label: RDAP and DNS know names in ASCII only.
std::string AsciiHost(const wchar_t* lpHost) {
    wchar_t szAscii[kMaxHostChars] = {};
    const int nChars = IdnToAscii(0, lpHost, -1, szAscii, static_cast<int>(kMaxHostChars));
    if (nChars <= 0) return std::string();
    std::string host;
    for (const wchar_t* lp = szAscii; *lp; ++lp) {
        if (*lp > 0x7F) return std::string();
        host += static_cast<char>(*lp);
    }
    return host;
}

// The registry's answer for the first candidate name it knows, and then
// the registrar's answer it points to.
std::vector<RdapDomainAnswer> AskForDomain(HINTERNET hSession, const RdapBootstrap& bootstrap,
                                           const std::vector<std::string>& names, DWORD dwDeadline) {
    std::vector<RdapDomainAnswer> answers;
    for (const std::string& name : names) {
        const std::string base = RdapBaseFor(bootstrap, name);
        CFetchedAnswer fetched;
        if (base.empty() || !FetchRdap(hSession, base + "domain/" + name, kRdapType, dwDeadline, fetched)) break;
        RdapDomainAnswer answer = ReadRdapDomain(static_cast<int>(fetched.dwStatus), fetched.body);
        if (answer.eOutcome == RdapOutcome::NotFound) continue;
        if (answer.eOutcome != RdapOutcome::Found) break;
        const std::string related = answer.related;
        answers.push_back(std::move(answer));
        if (!related.empty() &&
            FetchRdap(hSession, related, kRdapType, dwDeadline, fetched)) {
            RdapDomainAnswer registrar = ReadRdapDomain(static_cast<int>(fetched.dwStatus), fetched.body);
            if (registrar.eOutcome == RdapOutcome::Found) answers.push_back(std::move(registrar));
        }
        break;
    }
    return answers;
}

}  // namespace

CWhoIsSource ReadWhoIsSource() {
    CWhoIsSource source;
    CRegKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSourcesKey, 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) {
        key.Detach();
        return source;
    }
    DWORD dwChoice = 0, dwType = 0, dwSize = sizeof dwChoice;
    source.bRdap = RegQueryValueExA(key.Get(), kWhoIsSourceValue, nullptr, &dwType, reinterpret_cast<BYTE*>(&dwChoice),
                                    &dwSize) == ERROR_SUCCESS &&
                   dwType == REG_DWORD && dwChoice == 1;
    source.bootstrap = ReadRegistryText(key.Get(), kRdapBootstrapValue);
    if (source.bootstrap.empty()) source.bootstrap = kIanaRdapBootstrap;
    return source;
}

std::vector<std::string> LookUpRdap(const wchar_t* lpHost, const std::string& bootstrapAddress) {
    const std::vector<std::string> names = RdapCandidateNames(AsciiHost(lpHost));
    if (names.empty()) return {};
    const DWORD dwDeadline = GetTickCount() + kRdapLookupMs;
    CInternetHandle session(OpenFetchSession());
    RdapBootstrap bootstrap;
    if (!session || !TakeBootstrap(session.Get(), bootstrapAddress, dwDeadline, bootstrap)) return {};
    return MergeRdapContacts(AskForDomain(session.Get(), bootstrap, names, dwDeadline));
}
