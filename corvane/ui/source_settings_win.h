#pragma once
// Where result pages, ranks, backward-link counts and WhoIs addresses come
// from: the classic services at the built host, or today's services (a
// SearXNG instance or the Brave Search API for result pages, Open PageRank
// for rank, RDAP for WhoIs). Stored under "SOFTWARE\Pellmark\Sources", beside the options;
// without that key every service is classic, as the program always was.
// A key of a service is stored encrypted, never as plain text.
#include <windows.h>

#include <string>

enum class EResultsSource : DWORD { Classic = 0, SearXng = 1, Brave = 2 };
enum class ERankSource : DWORD { Classic = 0, OpenPageRank = 1 };
// The WhoIs component reads this choice from the registry itself.
enum class EWhoIsSource : DWORD { Classic = 0, Rdap = 1 };

struct CSourceSettings {
    // False while a new install waits for the user's first choice.
    bool bChosen = true;
    EResultsSource results = EResultsSource::Classic;
    std::string searxngInstance;  // the instance's address, "https://..."
    std::string braveKey;
    ERankSource rank = ERankSource::Classic;
    std::string openPageRankKey;
    EWhoIsSource whois = EWhoIsSource::Classic;
    // The services' own addresses; stored only where another one answers
    // in their place (the local web does, for the demo and the tests).
    std::string braveEndpoint = "https://api.search.brave.com/res/v1/web/search";
    std::string openPageRankEndpoint = "https://openpagerank.com/api/v1.0/getPageRank";

    // Only the classic result pages answer "link:" queries: with today's
    // services backward links are not measured.
    bool CountsBacklinks() const { return results == EResultsSource::Classic; }
};

// Reads the stored sources; without the key, the classic ones (false).
bool LoadSourceSettings(CSourceSettings& settings);
// Stores them, creating the key under "SOFTWARE\Pellmark" when needed;
// false when the key cannot be written (or a key cannot be encrypted).
bool SaveSourceSettings(const CSourceSettings& settings);

// The sources in force: read when the main window starts and whenever the
// Sources dialog saves; a run copies them when it starts.
CSourceSettings TakeSourceSettings();
void PutSourceSettings(const CSourceSettings& settings);
