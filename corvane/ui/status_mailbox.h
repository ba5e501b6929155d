#pragma once
// The latest status a worker has shown, waiting for the main window's
// thread to put it on screen. A worker never waits for that thread (a
// message sent across threads costs far more than the work it reports); a
// newer status replaces one that was not shown yet, which nobody could
// have read anyway. Lock-free, so a worker ended by force in the middle of
// a Put leaves nothing locked. Portable.
#include <atomic>
#include <string>

class CStatusMailbox {
public:
    CStatusMailbox() = default;
    ~CStatusMailbox();
    CStatusMailbox(const CStatusMailbox&) = delete;
    CStatusMailbox& operator=(const CStatusMailbox&) = delete;

    // Leaves the status for the owner, in place of one not yet taken.
    void Put(const char* szText, int nPosition);
    // Takes the latest status; false when there is none.
    bool Take(std::string& text, int& nPosition);
    // Forgets a status nobody will collect.
    void Clear();

private:
    struct Status {
        std::string text;
        int nPosition;
    };
    std::atomic<Status*> m_pending{nullptr};
};
