#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "base/diagnostic_log.h"
#include "support/temp_folder.h"

namespace {

const std::string kRule(100, '-');
const std::string kOpening = kRule + "\r\n" + std::string(55, ' ') + "Starting Session\r\n" + kRule + "\r\n";
const std::string kClosing = kRule + "\r\n" + std::string(55, ' ') + "Clossed Session\r\n" + kRule + "\r\n";

std::string ThreadPrefix() { return "[" + std::to_string(GetCurrentThreadId()) + "]"; }

struct LineCase {
    const char* szText;
    bool bEndLine;
    int nIndent;
    bool bMark;
    std::string expected;
};

TEST(DiagnosticLog, LineFormatBannersAndMarks) {
    const std::vector<LineCase> cases = {
        {"plain", true, 0, false, ThreadPrefix() + "     plain\r\n"},
        {"marked", true, 0, true, ThreadPrefix() + " *** marked\r\n"},
        {"indented", true, 2, false, ThreadPrefix() + "     \t\tindented\r\n"},
        {"open", false, 0, false, ThreadPrefix() + "     open"},
    };
    CTempFolder folder;
    CDiagnosticLog log;
    ASSERT_TRUE(log.Open(folder.File("6_12_2005").c_str()));
    std::string expected = kOpening;
    for (const LineCase& c : cases) {
        EXPECT_TRUE(log.Write(c.szText, c.bEndLine, c.nIndent, c.bMark));
        expected += c.expected;
    }
    log.Close();
    expected += kClosing;
    EXPECT_EQ(ReadWholeFile(folder.File("6_12_2005_1.log")), expected);
}

TEST(DiagnosticLog, WritesNothingWithoutFileOrText) {
    CTempFolder folder;
    CDiagnosticLog log;
    EXPECT_FALSE(log.Write("before open"));
    EXPECT_FALSE(log.Open(folder.File("missing\\x").c_str())) << "no such folder";
    EXPECT_FALSE(log.Write("nowhere"));
    ASSERT_TRUE(log.Open(folder.File("x").c_str())) << "the index moved on, the base name was kept";
    EXPECT_FALSE(log.Write(nullptr));
    log.Close();
    EXPECT_EQ(ReadWholeFile(folder.File("x_2.log")), kOpening + kClosing);
}

TEST(DiagnosticLog, FormattedLinesAreBoundedAndMarked) {
    CTempFolder folder;
    CDiagnosticLog log;
    ASSERT_TRUE(log.Open(folder.File("f").c_str()));
    std::string huge(10000, 'a');
    EXPECT_TRUE(log.Printf("Loading Page %s", huge.c_str()));
    EXPECT_TRUE(log.PrintfMarked("Trial = %d", 5));
    log.Close();
    std::string content = ReadWholeFile(folder.File("f_1.log"));
    std::string cut = ThreadPrefix() + "     Loading Page " + std::string(kLogFormatSize - 1 - 13, 'a') + "\r\n";
    EXPECT_NE(content.find(cut), std::string::npos) << "a long line is cut to the 4096-character buffer";
    EXPECT_NE(content.find(" *** Trial = 5\r\n"), std::string::npos);
}

TEST(DiagnosticLog, RotatesAfterFourHundredThousandLines) {
    CTempFolder folder;
    CDiagnosticLog log;
    ASSERT_TRUE(log.Open(folder.File("r").c_str()));
    for (int i = 0; i < kLogLinesPerFile; ++i) ASSERT_TRUE(log.Write("x"));
    EXPECT_TRUE(log.Write("first of the second file"));
    log.Close();
    std::string first = ReadWholeFile(folder.File("r_1.log"));
    std::string second = ReadWholeFile(folder.File("r_2.log"));
    std::string line = ThreadPrefix() + "     x\r\n";
    EXPECT_EQ(first.size(), kOpening.size() + kLogLinesPerFile * line.size() + kClosing.size());
    EXPECT_EQ(first.substr(first.size() - kClosing.size()), kClosing);
    EXPECT_EQ(second, kOpening + ThreadPrefix() + "     first of the second file\r\n" + kClosing);
}

// Writers keep writing while the log is closed under them: a write that
// reports success is in the file, whole, and one that reports failure is not.
TEST(DiagnosticLog, WritesRacingACloseLandWholeOrNotAtAll) {
    CTempFolder folder;
    CDiagnosticLog log;
    ASSERT_TRUE(log.Open(folder.File("c").c_str()));
    constexpr int kWriters = 3;
    constexpr int kLines = 3000;
    std::atomic<int> written[kWriters] = {};
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w)
        writers.emplace_back([&log, &written, w] {
            for (int i = 0; i < kLines; ++i)
                if (log.Printf("writer %d line %d", w, i)) ++written[w];
        });
    while (written[0] == 0) Sleep(0);
    log.Close();
    for (std::thread& writer : writers) writer.join();
    EXPECT_FALSE(log.IsOpen());
    std::string content = ReadWholeFile(folder.File("c_1.log"));
    ASSERT_GE(content.size(), kOpening.size() + kClosing.size());
    EXPECT_EQ(content.substr(content.size() - kClosing.size()), kClosing) << "nothing after the closing banner";
    std::istringstream lines(content.substr(kOpening.size(), content.size() - kOpening.size() - kClosing.size()));
    std::vector<int> found(kWriters, 0);
    for (std::string line; std::getline(lines, line);) {
        int nWriter = -1, nLine = -1;
        char szEnd[2] = "";
        ASSERT_EQ(std::sscanf(line.c_str(), "[%*u]     writer %d line %d%1[\r]", &nWriter, &nLine, szEnd), 3) << line;
        ASSERT_TRUE(nWriter >= 0 && nWriter < kWriters) << line;
        EXPECT_EQ(nLine, found[static_cast<std::size_t>(nWriter)]++) << "lines of one writer in order, none lost";
    }
    for (int w = 0; w < kWriters; ++w) EXPECT_EQ(found[static_cast<std::size_t>(w)], written[w]) << "writer " << w;
}

// "Force" may end a thread inside a log write. The log's lock then passes
// to the next thread that asks for it, as an abandoned system mutex did,
// also when the ended thread had taken it more than once.
struct HeldLock {
    CRecoverableLock* lpLock;
    int nTimes;
    HANDLE hHeld;
};

DWORD WINAPI HoldUntilEnded(LPVOID lpParam) {
    auto* lpHeld = static_cast<HeldLock*>(lpParam);
    for (int i = 0; i < lpHeld->nTimes; ++i) lpHeld->lpLock->lock();
    SetEvent(lpHeld->hHeld);
    Sleep(INFINITE);
    return 0;
}

DWORD WINAPI TakeAndRelease(LPVOID lpParam) {
    std::lock_guard<CRecoverableLock> guard(*static_cast<CRecoverableLock*>(lpParam));
    return 0;
}

TEST(RecoverableLock, AnOwnerEndedByForceLeavesTheLockToTheNextTaker) {
    constexpr DWORD kHangMs = 60000;
    for (int nTimes : {1, 2}) {
        CRecoverableLock lock;
        HeldLock held{&lock, nTimes, CreateEventW(nullptr, TRUE, FALSE, nullptr)};
        HANDLE hOwner = CreateThread(nullptr, 0, HoldUntilEnded, &held, 0, nullptr);
        ASSERT_NE(hOwner, nullptr);
        ASSERT_EQ(WaitForSingleObject(held.hHeld, kHangMs), WAIT_OBJECT_0);
        ASSERT_TRUE(TerminateThread(hOwner, 0));
        WaitForSingleObject(hOwner, INFINITE);
        HANDLE hTaker = CreateThread(nullptr, 0, TakeAndRelease, &lock, 0, nullptr);
        ASSERT_NE(hTaker, nullptr);
        const bool bTaken = WaitForSingleObject(hTaker, kHangMs) == WAIT_OBJECT_0;
        EXPECT_TRUE(bTaken) << "the lock of an owner taken " << nTimes << " time(s) stayed held";
        if (!bTaken) TerminateThread(hTaker, 0);
        for (HANDLE h : {hOwner, hTaker, held.hHeld}) CloseHandle(h);
    }
}

}  // namespace
