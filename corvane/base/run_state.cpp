#include "base/run_state.h"

#include <mutex>

int g_nMaxResults = 0;
int iMinPR = 0;
int g_nQueryDelay = 100;
bool g_bFollowLinks = false;
bool g_bDomainLinks = false;
bool g_bTrawlBacklinks = false;
char g_szRunKeywords[kRunKeywordsSize] = "";

bool g_bContact = false;
bool g_bEmail = false;
bool g_bWhoIs = false;
bool g_bKeyword = false;
std::string g_szKeywords;

CRecoverableLock& OptionsLock() {
    static CRecoverableLock lock;
    return lock;
}

PageOptionSet TakePageOptions() {
    std::lock_guard<CRecoverableLock> guard(OptionsLock());
    return PageOptionSet{g_bContact, g_bEmail, g_bWhoIs, g_bKeyword, g_szKeywords};
}

std::atomic<bool> g_Stopped{false};
std::atomic<bool> g_bRunning{false};
std::atomic<bool> g_bUrlRun{false};
std::atomic<int> g_nLinks{0};
std::atomic<int> g_nFollowed{0};
std::atomic<int> g_nQueryLinks{0};
std::atomic<unsigned> g_nRunSerial{1};
std::atomic<int64_t> g_tLastQuery{0};

CRunList g_RunList;

int64_t NowSeconds() { return static_cast<int64_t>(std::time(nullptr)); }

void CRunList::Clear() {
    m_records.clear();
    m_index.Clear();
}

URLInfo* CRunList::At(std::size_t nIndex) const {
    return nIndex < m_records.size() ? m_records[nIndex].get() : nullptr;
}

void CRunList::Append(std::unique_ptr<URLInfo> record) { m_records.push_back(std::move(record)); }

void CRunList::IndexNewRecords() const {
    for (std::size_t i = m_index.Count(); i < m_records.size(); ++i)
        m_index.Add(m_records[i] ? m_records[i]->Source : nullptr);
}

URLInfo* CRunList::FindContaining(const char* szText) const {
    if (!szText) return nullptr;
    IndexNewRecords();
    return At(m_index.FindFirst(szText));
}
