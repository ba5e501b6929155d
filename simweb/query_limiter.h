#pragma once
// The engine's rule against automated querying: once nQueries queries
// came within nWindowMs of each other, the latest is refused (it gets the
// verification page). Refused queries count too, so a client that keeps
// hammering stays refused until it slows down. nQueries 0 turns it off.
#include <cstdint>
#include <deque>
#include <mutex>

namespace simweb {

class CQueryLimiter {
public:
    CQueryLimiter(int nQueries, int64_t nWindowMs) : m_nQueries(nQueries), m_nWindowMs(nWindowMs) {}
    CQueryLimiter(const CQueryLimiter&) = delete;
    CQueryLimiter& operator=(const CQueryLimiter&) = delete;

    // Records a query at nNowMs; false when it must be refused.
    bool Admit(int64_t nNowMs);

private:
    const int m_nQueries;
    const int64_t m_nWindowMs;
    std::mutex m_lock;
    std::deque<int64_t> m_times;
};

}  // namespace simweb
