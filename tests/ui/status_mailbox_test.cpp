#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "ui/status_mailbox.h"

namespace {

struct MailboxStep {
    enum Kind { Put, Take, Clear } kind;
    const char* szText;  // Put: the status (null: none); Take: the one expected, null for none
    int nPosition;
};

TEST(StatusMailbox, TheNewestStatusWinsAndIsTakenOnce) {
    const std::vector<MailboxStep> steps = {
        {MailboxStep::Take, nullptr, 0},  {MailboxStep::Put, "first", 1},   {MailboxStep::Put, "second", 2},
        {MailboxStep::Take, "second", 2}, {MailboxStep::Take, nullptr, 0},  {MailboxStep::Put, "third", 3},
        {MailboxStep::Clear, nullptr, 0}, {MailboxStep::Take, nullptr, 0},  {MailboxStep::Put, nullptr, 4},
        {MailboxStep::Take, "", 4},
    };
    CStatusMailbox mailbox;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const MailboxStep& step = steps[i];
        std::string text;
        int nPosition = -1;
        switch (step.kind) {
        case MailboxStep::Put: mailbox.Put(step.szText, step.nPosition); break;
        case MailboxStep::Clear: mailbox.Clear(); break;
        case MailboxStep::Take:
            ASSERT_EQ(mailbox.Take(text, nPosition), step.szText != nullptr) << "step " << i;
            if (step.szText) {
                EXPECT_EQ(text, step.szText) << "step " << i;
                EXPECT_EQ(nPosition, step.nPosition) << "step " << i;
            }
            break;
        }
    }
}

// A worker shows statuses as fast as it can while the window's thread
// collects them: each collected status is whole and newer than the one
// before, and the last one shown is collected.
TEST(StatusMailbox, TheCollectorSeesNewerStatusesOnlyAndTheLastOne) {
    constexpr int kStatuses = 20000;
    CStatusMailbox mailbox;
    std::thread worker([&] {
        for (int i = 0; i < kStatuses; ++i) mailbox.Put(("status " + std::to_string(i)).c_str(), i);
    });
    int nLast = -1;
    std::string text, broken;
    int nPosition = 0;
    while (nLast != kStatuses - 1 && broken.empty()) {
        if (!mailbox.Take(text, nPosition)) {
            std::this_thread::yield();
            continue;
        }
        if (nPosition <= nLast || text != "status " + std::to_string(nPosition))
            broken = text + " after position " + std::to_string(nLast);
        nLast = nPosition;
    }
    worker.join();
    EXPECT_EQ(broken, "");
    EXPECT_EQ(nLast, kStatuses - 1);
    EXPECT_FALSE(mailbox.Take(text, nPosition)) << "nothing after the last status";
}

}  // namespace
