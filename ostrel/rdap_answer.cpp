#include "rdap_answer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include <nlohmann/json.hpp>

#include "base/json_answer.h"

using nlohmann::json;

namespace {

// DNS allows no longer name; a longer value is nothing to look up.
constexpr std::size_t kMaxNameLength = 253;

const char* const kContactRoles[] = {"registrant", "administrative", "technical", "billing"};
constexpr int kNoContactRole = 4;

bool EqualsNoCase(const json& value, const char* szText) {
    return value.is_string() && LoweredAscii(value.get_ref<const std::string&>()) == szText;
}

bool ContainsNoCase(const std::string& text, const char* szPart) { return LoweredAscii(text).find(szPart) != std::string::npos; }

bool IsHttps(const std::string& address) { return LoweredAscii(address.substr(0, 8)) == "https://"; }

// The base of one service entry: its first https address, else its first
// http one; each made to end in "/", as the file's bases are meant.
std::string ServiceBase(const json& addresses) {
    std::string chosen;
    if (!addresses.is_array()) return chosen;
    for (const json& address : addresses) {
        if (!address.is_string() || !IsWebAddress(address.get_ref<const std::string&>())) continue;
        const std::string& text = address.get_ref<const std::string&>();
        if (IsHttps(text)) {
            chosen = text;
            break;
        }
        if (chosen.empty()) chosen = text;
    }
    if (!chosen.empty() && chosen.back() != '/') chosen += '/';
    return chosen;
}

void ReadBootstrap(const std::string& body, RdapBootstrap& bootstrap, bool& bRead) {
    json file;
    if (!ParseBoundedJson(body, file)) return;
    const json* lpServices = Member(file, "services");
    if (!lpServices || !lpServices->is_array()) return;
    for (const json& service : *lpServices) {
        if (!service.is_array() || service.size() < 2 || !service[0].is_array()) continue;
        const std::string base = ServiceBase(service[1]);
        if (base.empty()) continue;
        for (const json& label : service[0])
            if (label.is_string() && !label.get_ref<const std::string&>().empty())
                bootstrap.bases.emplace(LoweredAscii(label.get_ref<const std::string&>()), base);
    }
    bRead = true;
}

bool IsNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
}

// The best (lowest) contact role of an entity; registrars and abuse
// contacts speak for the registrar, not for the site, and give none.
int ContactRole(const json& entity) {
    const json* lpRoles = Member(entity, "roles");
    if (!lpRoles || !lpRoles->is_array()) return kNoContactRole;
    int nBest = kNoContactRole;
    for (const json& role : *lpRoles) {
        if (EqualsNoCase(role, "registrar") || EqualsNoCase(role, "abuse")) return kNoContactRole;
        for (int i = 0; i < kNoContactRole; ++i)
            if (EqualsNoCase(role, kContactRoles[i])) nBest = std::min(nBest, i);
    }
    return nBest;
}

// A value redaction left in place of an address.
bool IsPlaceholder(const std::string& value) { return value.empty() || ContainsNoCase(value, "redacted"); }

// The "email" values of a jCard: ["vcard", [[name, params, type, value...], ...]].
void TakeEmails(const json& entity, int nRole, std::vector<std::pair<int, std::string>>& contacts) {
    const json* lpCard = Member(entity, "vcardArray");
    if (!lpCard || !lpCard->is_array() || lpCard->size() < 2 || !(*lpCard)[1].is_array()) return;
    for (const json& property : (*lpCard)[1]) {
        if (!property.is_array() || property.size() < 4 || !EqualsNoCase(property[0], "email")) continue;
        for (std::size_t i = 3; i < property.size(); ++i) {
            if (!property[i].is_string()) continue;
            const std::string& value = property[i].get_ref<const std::string&>();
            if (!IsPlaceholder(value) && contacts.size() < kMaxKeptResults) contacts.emplace_back(nRole, value);
        }
    }
}

void TakeEntities(const json& holder, std::vector<std::pair<int, std::string>>& contacts) {
    const json* lpEntities = Member(holder, "entities");
    if (!lpEntities || !lpEntities->is_array()) return;
    for (const json& entity : *lpEntities) {
        if (!entity.is_object()) continue;
        const int nRole = ContactRole(entity);
        if (nRole != kNoContactRole) TakeEmails(entity, nRole, contacts);
        TakeEntities(entity, contacts);
    }
}

std::string RelatedLink(const json& domain) {
    const json* lpLinks = Member(domain, "links");
    if (!lpLinks || !lpLinks->is_array()) return std::string();
    for (const json& link : *lpLinks) {
        const json* lpRel = Member(link, "rel");
        const json* lpType = Member(link, "type");
        const json* lpHref = Member(link, "href");
        if (!lpRel || !EqualsNoCase(*lpRel, "related") || !lpType || !EqualsNoCase(*lpType, "application/rdap+json"))
            continue;
        if (!lpHref || !lpHref->is_string() || !IsWebAddress(lpHref->get_ref<const std::string&>())) return std::string();
        return lpHref->get_ref<const std::string&>();
    }
    return std::string();
}

void ReadDomain(int nStatus, const std::string& body, RdapDomainAnswer& answer) {
    if (nStatus == 404) answer.eOutcome = RdapOutcome::NotFound;
    if (nStatus == 429) answer.eOutcome = RdapOutcome::RateLimited;
    if (nStatus < 200 || nStatus > 299) return;
    json domain;
    if (!ParseBoundedJson(body, domain) || !domain.is_object()) return;
    const json* lpClass = Member(domain, "objectClassName");
    if (lpClass && !EqualsNoCase(*lpClass, "domain")) return;
    TakeEntities(domain, answer.contacts);
    answer.related = RelatedLink(domain);
    answer.eOutcome = RdapOutcome::Found;
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t nYear, int nMonth, int nDay) {
    nYear -= nMonth <= 2;
    const int64_t nEra = (nYear >= 0 ? nYear : nYear - 399) / 400;
    const int64_t nYearOfEra = nYear - nEra * 400;
    const int64_t nDayOfYear = (153 * (nMonth + (nMonth > 2 ? -3 : 9)) + 2) / 5 + nDay - 1;
    const int64_t nDayOfEra = nYearOfEra * 365 + nYearOfEra / 4 - nYearOfEra / 100 + nDayOfYear;
    return nEra * 146097 + nDayOfEra - 719468;
}

// "Sun, 06 Nov 1994 08:49:37 GMT", the one date form senders must use.
int64_t HttpDateSeconds(const std::string& value) {
    static const char kMonths[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
    char szWeekday[4] = {}, szMonth[4] = {}, szZone[4] = {};
    int nDay = 0, nYear = 0, nHour = 0, nMinute = 0, nSecond = 0;
    if (std::sscanf(value.c_str(), "%3[A-Za-z], %2d %3[A-Za-z] %4d %2d:%2d:%2d %3s", szWeekday, &nDay, szMonth, &nYear,
                    &nHour, &nMinute, &nSecond, szZone) != 8 ||
        std::strcmp(szZone, "GMT") != 0)
        return -1;
    const char* lpMonth = std::strlen(szMonth) == 3 ? std::strstr(kMonths, szMonth) : nullptr;
    if (!lpMonth || (lpMonth - kMonths) % 3 != 0 || nDay < 1 || nDay > 31 || nHour > 23 || nMinute > 59 ||
        nSecond > 60)
        return -1;
    const int nMonth = static_cast<int>((lpMonth - kMonths) / 3) + 1;
    return DaysFromCivil(nYear, nMonth, nDay) * 86400 + nHour * 3600 + nMinute * 60 + nSecond;
}

}  // namespace

bool ReadRdapBootstrap(const std::string& body, RdapBootstrap& bootstrap) noexcept {
    bool bRead = false;
    try {
        bootstrap = RdapBootstrap();
        ReadBootstrap(body, bootstrap, bRead);
    } catch (...) {
        bootstrap = RdapBootstrap();
        bRead = false;
    }
    return bRead;
}

std::string RdapBaseFor(const RdapBootstrap& bootstrap, const std::string& name) {
    const std::size_t nDot = name.rfind('.');
    const auto it = bootstrap.bases.find(LoweredAscii(nDot == std::string::npos ? name : name.substr(nDot + 1)));
    return it == bootstrap.bases.end() ? std::string() : it->second;
}

std::vector<std::string> RdapCandidateNames(const std::string& host) {
    std::string name = LoweredAscii(host);
    while (!name.empty() && name.back() == '.') name.pop_back();
    std::vector<std::string> names;
    if (name.empty() || name.size() > kMaxNameLength || !std::all_of(name.begin(), name.end(), IsNameChar) ||
        name.find("..") != std::string::npos || name.front() == '.')
        return names;
    const std::size_t nLast = name.rfind('.');
    // An address literal ends in digits; no top-level label does.
    if (nLast == std::string::npos || name.find_first_not_of("0123456789", nLast + 1) == std::string::npos)
        return names;
    std::vector<std::size_t> starts{0};
    for (std::size_t i = 0; i < name.size(); ++i)
        if (name[i] == '.') starts.push_back(i + 1);
    const std::size_t nFirst = starts.size() > kMaxRdapLabels ? starts.size() - kMaxRdapLabels : 0;
    for (std::size_t i = nFirst; i + 1 < starts.size(); ++i) names.push_back(name.substr(starts[i]));
    return names;
}

RdapDomainAnswer ReadRdapDomain(int nStatus, const std::string& body) noexcept {
    RdapDomainAnswer answer;
    try {
        ReadDomain(nStatus, body, answer);
    } catch (...) {
        answer = RdapDomainAnswer();
    }
    return answer;
}

std::vector<std::string> MergeRdapContacts(const std::vector<RdapDomainAnswer>& answers) {
    std::vector<std::string> addresses, seen;
    for (int nRole = 0; nRole < kNoContactRole; ++nRole)
        for (const RdapDomainAnswer& answer : answers)
            for (const auto& contact : answer.contacts) {
                if (contact.first != nRole) continue;
                const std::string key = LoweredAscii(contact.second);
                if (std::find(seen.begin(), seen.end(), key) != seen.end()) continue;
                seen.push_back(key);
                addresses.push_back(contact.second);
            }
    return addresses;
}

int64_t RetryAfterSeconds(const std::string& value, int64_t nNow) {
    std::string text = value;
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
    text.erase(0, text.find_first_not_of(" \t"));
    if (!text.empty() && text.size() <= 10 && text.find_first_not_of("0123456789") == std::string::npos)
        return std::stoll(text);
    const int64_t nWhen = HttpDateSeconds(text);
    if (nWhen < 0) return -1;
    return nWhen > nNow ? nWhen - nNow : 0;
}
