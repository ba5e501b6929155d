#include "query_limiter.h"

namespace simweb {

bool CQueryLimiter::Admit(int64_t nNowMs) {
    if (m_nQueries <= 0) return true;
    std::lock_guard<std::mutex> guard(m_lock);
    m_times.push_back(nNowMs);
    while (m_times.size() > static_cast<std::size_t>(m_nQueries)) m_times.pop_front();
    while (!m_times.empty() && nNowMs - m_times.front() >= m_nWindowMs) m_times.pop_front();
    return m_times.size() < static_cast<std::size_t>(m_nQueries);
}

}  // namespace simweb
