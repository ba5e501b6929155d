#pragma once
// Run parameters and run state shared by the main window, the run workers
// and page evaluation. The parameters are written by the main window's
// thread only while no worker runs; the flags that cross threads while a
// run is in progress are one-byte atomics.
#include <atomic>
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "base/link_record.h"
#include "base/platform.h"
#include "base/substring_index.h"

// Status routine handed to workers and page evaluation.
typedef void (*TRACEPROC)(const char* szText, int nPosition);

constexpr std::size_t kRunKeywordsSize = 4096;

// Run parameters.
extern int g_nMaxResults;
extern int iMinPR;
extern int g_nQueryDelay;
extern bool g_bFollowLinks;
extern bool g_bDomainLinks;
extern bool g_bTrawlBacklinks;
extern char g_szRunKeywords[kRunKeywordsSize];

// Options from the settings store.
extern bool g_bContact;
extern bool g_bEmail;
extern bool g_bWhoIs;
extern bool g_bKeyword;
extern std::string g_szKeywords;

// The options dialog works while a run is in progress: whoever writes the
// options above holds this lock, and an evaluation takes them all at once.
CRecoverableLock& OptionsLock();

// The page options one evaluation works with.
struct PageOptionSet {
    bool bContact;
    bool bEmail;
    bool bWhoIs;
    bool bKeyword;
    std::string szKeywords;
};
PageOptionSet TakePageOptions();

// Run state.
extern std::atomic<bool> g_Stopped;
extern std::atomic<bool> g_bRunning;
extern std::atomic<bool> g_bUrlRun;
extern std::atomic<int> g_nLinks;
extern std::atomic<int> g_nFollowed;
extern std::atomic<int> g_nQueryLinks;
// Goes up when a run starts and when it ends (main window thread only).
extern std::atomic<unsigned> g_nRunSerial;
extern std::atomic<int64_t> g_tLastQuery;

// The work list of a URL or back-link run: owns its records, in order.
class CRunList {
public:
    void Clear();
    std::size_t Size() const { return m_records.size(); }
    URLInfo* At(std::size_t nIndex) const;
    void Append(std::unique_ptr<URLInfo> record);

    // First record whose Source contains szText, letter case ignored. The
    // Sources are indexed when first searched: they must not change after.
    URLInfo* FindContaining(const char* szText) const;

private:
    void IndexNewRecords() const;

    std::vector<std::unique_ptr<URLInfo>> m_records;
    mutable CSubstringIndex m_index;
};
extern CRunList g_RunList;

// Current time in whole seconds, as the query pause measures it.
int64_t NowSeconds();
