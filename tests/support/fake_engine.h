#pragma once
// Answers of a search engine for tests: the toolbar rank and the "link:"
// count of every address, from tables the test fills.
#include <map>
#include <string>

#include "scripted_server_win.h"

struct FakeEngine {
    std::map<std::string, int> ranks;     // address -> rank; others get nDefaultRank
    std::map<std::string, int> backward;  // address -> backward-link count
    int nDefaultRank = 0;
    int nDefaultBackward = 0;

    simweb::HttpAnswer Answer(const simweb::HttpRequestHead& request) const;
    // Installs this engine as the server's handler (the engine must outlive it).
    void Serve(simweb::CScriptedServer& server) const;
};

// Percent escapes decoded (the HTTP client escapes blanks and the like).
std::string DecodeTarget(const std::string& target);
