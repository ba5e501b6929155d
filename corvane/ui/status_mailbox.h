#pragma once
// The latest status a worker has shown, waiting for the main window's
// thread to put it on screen. A worker never waits for that thread (a
// message sent across threads costs far more than the work it reports); a
// newer status replaces one that was not shown yet, which nobody could
// have read anyway. The hand-over is one atomic exchange and takes no lock
// of the mailbox's own; Put does allocate the new status, though, so a
// worker ended by force inside Put may leave the heap's lock held, as any
// allocation it makes would. Portable.
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
