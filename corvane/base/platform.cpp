#include "base/platform.h"

namespace {

// A waiter yields a few times (an owner holds the lock for a few
// microseconds), then sleeps between tries, and asks now and then whether
// the owner's thread has ended.
constexpr unsigned kYieldingTries = 64;
constexpr unsigned kTriesPerOwnerCheck = 64;

static_assert(std::atomic<uint64_t>::is_always_lock_free,
              "a lock inside the owner word could itself be left held by a terminated thread");

std::atomic<uint32_t> s_nLastToken{0};
thread_local uint32_t t_nToken = 0;

uint64_t OwnerWordOfThisThread() {
    if (t_nToken == 0) t_nToken = ++s_nLastToken;
    return static_cast<uint64_t>(t_nToken) << 32 | CurrentThreadNumber();
}

void PauseBeforeTry(unsigned nTry) {
    if (nTry < kYieldingTries)
        YieldToOtherThreads();
    else
        SleepMilliseconds(1);
}

}  // namespace

void CRecoverableLock::lock() {
    const uint64_t nMine = OwnerWordOfThisThread();
    if (m_owner.load(std::memory_order_relaxed) == nMine) {
        ++m_nDepth;
        return;
    }
    for (unsigned nTry = 1;; ++nTry) {
        uint64_t nOwner = 0;
        if (m_owner.compare_exchange_weak(nOwner, nMine, std::memory_order_acquire, std::memory_order_relaxed)) break;
        if (nOwner != 0 && nTry % kTriesPerOwnerCheck == 0 && TakeOverFromEnded(nOwner, nMine)) break;
        PauseBeforeTry(nTry);
    }
    m_nDepth = 1;
}

// The lock of an ended owner is the waiter's, as an abandoned system mutex
// is: what it guarded may be half-changed, and the waiter goes on with it.
bool CRecoverableLock::TakeOverFromEnded(uint64_t nOwner, uint64_t nMine) {
    if (ThreadIsRunning(static_cast<uint32_t>(nOwner))) return false;
    return m_owner.compare_exchange_strong(nOwner, nMine, std::memory_order_acquire, std::memory_order_relaxed);
}

void CRecoverableLock::unlock() {
    if (--m_nDepth == 0) m_owner.store(0, std::memory_order_release);
}
