#pragma once
// The few platform services the portable core needs, implemented once for
// Windows and once for the native (sanitizer) build.
#include <cstddef>
#include <cstdint>
#include <string>

// Identifier of the calling thread, as the diagnostic log prints it.
uint32_t CurrentThreadNumber();

// Case-insensitive comparison in the process's current multibyte code page.
int CompareNoCase(const char* a, const char* b);

// Milliseconds to sleep, polling nothing.
void SleepMilliseconds(uint32_t ms);

// A lock that survives its owner being terminated ("Force" ends a hanging
// worker thread, which may be inside a log write at that moment).
class CRecoverableLock {
public:
    CRecoverableLock();
    ~CRecoverableLock();
    CRecoverableLock(const CRecoverableLock&) = delete;
    CRecoverableLock& operator=(const CRecoverableLock&) = delete;
    void lock();
    void unlock();

private:
    void* m_handle;
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
