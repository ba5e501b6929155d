#pragma once
// Today's result and rank services as a run asks them (a SearXNG instance
// or the Brave Search API for result pages, Open PageRank for ranks): each
// request after the query pause, through the one page loader, its answer
// read by the service's reader. A run copies the chosen sources when it
// starts and keeps the ranks it learns until it ends; the one message box
// of a configuration fault is shown here, and stops the run.
#include <string>
#include <vector>

#include "base/answer_outcome.h"
#include "ui/source_settings_win.h"

// Called by the main window as a run starts: the sources in force now are
// the run's, and no rank is known yet.
void BeginRunSources();
CSourceSettings RunSources();

// One page of results from today's result service.
struct SourcePage {
    AnswerOutcome eOutcome = AnswerOutcome::Malformed;
    std::vector<std::string> urls;
    bool bLast = true;  // no page follows this one
};
// Page nPage (from 0) of the query's results. A configuration fault has
// been told and the run stopped when this returns; a transient fault has
// been logged.
SourcePage LoadSourcePage(const CSourceSettings& sources, const std::string& query, int nPage, int nProgress);

// Asks Open PageRank once for every host among addresses whose rank this
// run does not know yet, 100 at a time.
void LearnSourceRanks(const CSourceSettings& sources, const std::vector<std::string>& addresses, int nProgress);
// The rank of the address's host from Open PageRank, asked when not known
// yet; 0, with a log line, for a domain the service does not know.
int SourceRank(const CSourceSettings& sources, const char* szAddress, int nProgress);

// The Sources dialog's tests: one real query, told in plain words.
std::string TestResultsSource(const CSourceSettings& sources);
std::string TestRankSource(const CSourceSettings& sources);
