#pragma once
// How a run goes on after one answer of a result or rank service of today's
// web, and the bounds every reader of such an answer keeps. Portable, and
// free of the JSON library, so the runs can include it.
#include <cstddef>

// The transient outcomes are a log line and a page counted as a failed
// load; a configuration fault stops the run with one message that names
// the fix, since asking again cannot help.
enum class AnswerOutcome {
    Ok,
    // transient
    RateLimited,   // a single 429: the next request may well pass
    Malformed,     // not JSON, truncated, wrongly typed or beyond the bounds
    ServiceFault,  // 5xx or a status no client error explains
    // configuration faults
    JsonNotServed,   // a SearXNG instance whose search formats lack json
    RequestRefused,  // another 4xx: wrong address, or parameters refused
    KeyRefused,
    QuotaUsedUp,
};

bool IsConfigurationFault(AnswerOutcome eOutcome);

// What went wrong, in words for a log line: "asked to wait (429)", "a
// malformed answer"...
const char* OutcomeText(AnswerOutcome eOutcome);

// The outcome a status alone tells: 2xx Ok, 429 RateLimited, any other 4xx
// RequestRefused (a client error repeats on every request), everything else
// ServiceFault. Each reader names its service's own statuses first.
AnswerOutcome OutcomeOfStatus(int nStatus);

// The page loader hands over at most this much.
constexpr std::size_t kMaxAnswerBytes = 32u * 1024u * 1024u;
// A full page of any of these services nests about ten deep and holds a few
// thousand values. Far beyond that an answer would cost a 32-bit process
// too much memory to build, and is refused before it is built.
constexpr std::size_t kMaxAnswerDepth = 128;
constexpr std::size_t kMaxAnswerValues = 200000;
// The longest text of an answer that goes to a log line.
constexpr std::size_t kMaxLoggedText = 256;

// Results or ranks one answer may add to a run (a query pages to 1,000).
constexpr std::size_t kMaxKeptResults = 1000;
