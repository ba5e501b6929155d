#include "email_search.h"

#include <cstring>

const char kEmailExpression[] =
    "([a-zA-Z0-9_\\-])([a-zA-Z0-9_\\-\\.]*)@(\\[((25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9][0-9]|[0-9])\\.){3}|"
    "((([a-zA-Z0-9\\-]+)\\.)+))([a-zA-Z]{2,}|(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9][0-9]|[0-9])\\])";

// How the expression matches, read as the backtracking engine walks it:
// - The local part "[W][W.]*" takes the whole run of [W.] characters up to
//   the "@" (the run cannot hold an "@"), so every start inside one run
//   reaches the same "@"; the leftmost start is the first W character of
//   the run at or after the search position.
// - After the "@" the domain is the same whichever start was taken. With
//   "[" only the bracket branch can match; its three "number." groups each
//   take a whole digit run, so it matches in one way or not at all.
// - Otherwise "(label.)+" takes as many "label." as follow each other, each
//   label a whole [a-zA-Z0-9-] run, and the last group is tried after the
//   last of them, then after each earlier one: the first that fits ends the
//   match.
// Every region examined lies between two "@" characters, so the whole walk
// is linear in the text.
namespace {

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLabelChar(char c) { return IsLetter(c) || IsDigit(c) || c == '-'; }
bool IsWordChar(char c) { return IsLabelChar(c) || c == '_'; }
bool IsLocalChar(char c) { return IsWordChar(c) || c == '.'; }

// A number from 0 to 255 without leading zero followed by cTerminator:
// the length including the terminator, or 0.
std::size_t NumberFollowedBy(const char* p, const char* lpEnd, char cTerminator) {
    const char* q = p;
    while (q < lpEnd && IsDigit(*q) && q - p < 4) ++q;
    const std::size_t nDigits = static_cast<std::size_t>(q - p);
    if (nDigits == 0 || nDigits > 3 || q >= lpEnd || *q != cTerminator) return 0;
    if (nDigits > 1 && p[0] == '0') return 0;
    if (nDigits == 3 && (p[0] > '2' || (p[0] == '2' && (p[1] > '5' || (p[1] == '5' && p[2] > '5'))))) return 0;
    return nDigits + 1;
}

// "[a-zA-Z]{2,}" or "number]": the end of the match, or null.
const char* MatchLastGroup(const char* p, const char* lpEnd) {
    const char* q = p;
    while (q < lpEnd && IsLetter(*q)) ++q;
    if (q - p >= 2) return q;
    const std::size_t n = NumberFollowedBy(p, lpEnd, ']');
    return n ? p + n : nullptr;
}

// After "[": three "number." then the last group.
const char* MatchBracketDomain(const char* p, const char* lpEnd) {
    for (int i = 0; i < 3; ++i) {
        const std::size_t n = NumberFollowedBy(p, lpEnd, '.');
        if (!n) return nullptr;
        p += n;
    }
    return MatchLastGroup(p, lpEnd);
}

const char* MatchLabelDomain(const char* p, const char* lpEnd) {
    const char* lpAfterLabels = nullptr;
    for (const char* q = p;;) {
        const char* r = q;
        while (r < lpEnd && IsLabelChar(*r)) ++r;
        if (r == q || r >= lpEnd || *r != '.') break;
        q = r + 1;
        lpAfterLabels = q;
    }
    if (!lpAfterLabels) return nullptr;
    for (const char* lpAt = lpAfterLabels;;) {
        if (const char* lpMatchEnd = MatchLastGroup(lpAt, lpEnd)) return lpMatchEnd;
        // Give back one label: every dot before lpAt ends one.
        const char* d = lpAt - 2;
        while (d >= p && *d != '.') --d;
        if (d < p) return nullptr;
        lpAt = d + 1;
    }
}

const char* MatchDomain(const char* p, const char* lpEnd) {
    if (p < lpEnd && *p == '[') return MatchBracketDomain(p + 1, lpEnd);
    return MatchLabelDomain(p, lpEnd);
}

}  // namespace

void FindEmailAddresses(const char* lpText, std::size_t nLength, std::vector<std::string>& matches,
                        std::size_t nLimit) {
    if (!lpText) return;
    const char* lpEnd = lpText + nLength;
    const char* lpSearch = lpText;  // no match may start before this
    const char* lpAt = lpText;
    std::size_t nFound = 0;
    while (nFound < nLimit && lpAt < lpEnd) {
        lpAt = static_cast<const char*>(std::memchr(lpAt, '@', static_cast<std::size_t>(lpEnd - lpAt)));
        if (!lpAt) break;
        const char* lpStart = lpAt;
        while (lpStart > lpSearch && IsLocalChar(lpStart[-1])) --lpStart;
        while (lpStart < lpAt && !IsWordChar(*lpStart)) ++lpStart;
        const char* lpMatchEnd = lpStart < lpAt ? MatchDomain(lpAt + 1, lpEnd) : nullptr;
        if (!lpMatchEnd) {
            ++lpAt;
            continue;
        }
        matches.emplace_back(lpStart, lpMatchEnd);
        ++nFound;
        lpSearch = lpAt = lpMatchEnd;
    }
}
