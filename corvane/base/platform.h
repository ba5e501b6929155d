#pragma once
// The few platform services the portable core needs, implemented once for
// Windows and once for the native (sanitizer) build.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

// Identifier of the calling thread, as the diagnostic log prints it.
uint32_t CurrentThreadNumber();

// Case-insensitive comparison in the process's current multibyte code page.
int CompareNoCase(const char* a, const char* b);

// Milliseconds to sleep, polling nothing.
void SleepMilliseconds(uint32_t ms);

// Whether the thread with this number still runs. A number that names no
// thread (any more) is one that does not.
bool ThreadIsRunning(uint32_t nThread);

// Lets another ready thread have the processor.
void YieldToOtherThreads();

// A lock that survives its owner being terminated ("Force" ends a hanging
// worker thread, which may be inside a log write at that moment): a waiter
// that finds the owner's thread ended takes the lock over. The owner may
// take it again while it holds it. Taking a free lock is one atomic
// exchange inside the process: a run takes its locks for every log line
// and every link it checks, and a system mutex is a trip into the system
// (under Wine, to its server) each time.
class CRecoverableLock {
public:
    CRecoverableLock() = default;
    CRecoverableLock(const CRecoverableLock&) = delete;
    CRecoverableLock& operator=(const CRecoverableLock&) = delete;
    void lock();
    void unlock();

private:
    bool TakeOverFromEnded(uint64_t nOwner, uint64_t nMine);

    // The owner's token (upper half, never reused) and thread number
    // (lower half, for asking whether it still runs); 0 when free.
    std::atomic<uint64_t> m_owner{0};
    // How often the owner holds the lock; touched only by the owner.
    unsigned m_nDepth = 0;
};

// A file written line by line straight to the system, with no runtime
// stream lock in between (same reason as above). Lines end as the
// platform's text files do.
class CPlainFile {
public:
    CPlainFile() = default;
    ~CPlainFile() { Close(); }
    CPlainFile(const CPlainFile&) = delete;
    CPlainFile& operator=(const CPlainFile&) = delete;
    // Creates or truncates the file.
    bool Create(const char* szPath);
    void Write(const char* lpData, std::size_t nLength);
    void WriteLineEnd();
    // The line end WriteLineEnd writes.
    static const char* LineEnd();
    void Close();
    bool IsOpen() const { return m_handle != nullptr; }

private:
    void* m_handle = nullptr;
};
