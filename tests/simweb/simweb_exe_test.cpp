// simweb.exe as a user or a harness runs it: the map, writing a corpus,
// serving with a line per request, and stopping on request.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "simweb_client.h"
#include "simweb_options.h"
#include "simweb_scratch.h"

using namespace simweb_test;

namespace {

const std::string kAddresses = " --engine 127.0.21.1 --whois 127.0.21.1 --site-base 127.0.21.2";

std::string ExePath() {
    char szPath[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, szPath, sizeof szPath);
    std::string path(szPath, n);
    return path.substr(0, path.rfind('\\') + 1) + "simweb.exe";
}

// simweb.exe with its output read on a thread, so a test can wait for a line.
class CSimWebProcess {
public:
    explicit CSimWebProcess(const std::string& arguments) {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE hRead = nullptr, hWrite = nullptr;
        CreatePipe(&hRead, &hWrite, &inherit, 0);
        SetHandleInformation(hRead, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = hWrite;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        std::string command = "\"" + ExePath() + "\" " + arguments;
        PROCESS_INFORMATION process{};
        m_bStarted = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
        CloseHandle(hWrite);
        m_hProcess = process.hProcess;
        if (process.hThread) CloseHandle(process.hThread);
        m_reader = std::thread([this, hRead] { ReadAll(hRead); });
    }
    ~CSimWebProcess() {
        if (m_hProcess && WaitForSingleObject(m_hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(m_hProcess, 9);
        if (m_reader.joinable()) m_reader.join();
        if (m_hProcess) CloseHandle(m_hProcess);
    }
    bool Started() const { return m_bStarted; }
    // Waits until the output holds the text; false after the time limit.
    bool WaitForOutput(const std::string& text, int nTimeoutMs) {
        std::unique_lock<std::mutex> guard(m_lock);
        return m_changed.wait_for(guard, std::chrono::milliseconds(nTimeoutMs),
                                  [&] { return m_output.find(text) != std::string::npos; });
    }
    // Exit code, or -1 when it has not ended within the time limit.
    int Wait(int nTimeoutMs) {
        if (WaitForSingleObject(m_hProcess, static_cast<DWORD>(nTimeoutMs)) != WAIT_OBJECT_0) return -1;
        DWORD nCode = 0;
        GetExitCodeProcess(m_hProcess, &nCode);
        if (m_reader.joinable()) m_reader.join();
        return static_cast<int>(nCode);
    }
    // The output with Windows line ends read as plain ones.
    std::string Output() {
        std::lock_guard<std::mutex> guard(m_lock);
        std::string output = m_output;
        output.erase(std::remove(output.begin(), output.end(), '\r'), output.end());
        return output;
    }

private:
    void ReadAll(HANDLE hRead) {
        char buffer[4096];
        DWORD n = 0;
        while (ReadFile(hRead, buffer, sizeof buffer, &n, nullptr) && n > 0) {
            std::lock_guard<std::mutex> guard(m_lock);
            m_output.append(buffer, n);
            m_changed.notify_all();
        }
        CloseHandle(hRead);
    }

    bool m_bStarted = false;
    HANDLE m_hProcess = nullptr;
    std::thread m_reader;
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::string m_output;
};

std::string RunToEnd(const std::string& arguments, int& nExit) {
    CSimWebProcess process(arguments);
    EXPECT_TRUE(process.Started());
    nExit = process.Wait(60000);
    return process.Output();
}

}  // namespace

TEST(SimWebExe, PrintMapListsTheServicesAndEverySiteWithItsWhoIs) {
    int nExit = 0;
    std::string map = RunToEnd("--print-map --sites 3 --pages 4 --seed 5" + kAddresses, nExit);
    EXPECT_EQ(nExit, 0);
    simweb::SimWebOptions options;
    std::string error;
    ASSERT_TRUE(simweb::ParseCommandLine({"--sites", "3", "--pages", "4", "--seed", "5", "--engine", "127.0.21.1", "--whois",
                                          "127.0.21.1", "--site-base", "127.0.21.2"},
                                         options, error));
    simweb::CCorpus corpus;
    ASSERT_TRUE(simweb::BuildCorpus(options, corpus, error));
    EXPECT_EQ(map, simweb::SiteMapText(options, corpus));
    EXPECT_EQ(map.find("engine 127.0.21.1\nwhois 127.0.21.1\nsite 1 127.0.21.2 "), 0u) << map;
    EXPECT_NE(map.find("\nsite 3 127.0.21.4 "), std::string::npos) << map;
}

TEST(SimWebExe, WrittenCorpusLoadsBackAsTheSameWeb) {
    CScratchFolder folder;
    int nExit = 0;
    RunToEnd("--sites 4 --pages 5 --write-corpus \"" + folder.Path() + "\"" + kAddresses, nExit);
    EXPECT_EQ(nExit, 0);
    std::string generated = RunToEnd("--print-map --sites 4 --pages 5" + kAddresses, nExit);
    std::string loaded = RunToEnd("--print-map --corpus \"" + folder.Path() + "\"" + kAddresses, nExit);
    EXPECT_EQ(nExit, 0);
    EXPECT_EQ(loaded, generated);
}

TEST(SimWebExe, ServesWithALinePerRequestUntilAskedToStop) {
    CSimWebProcess process("--sites 2 --pages 3" + kAddresses);
    ASSERT_TRUE(process.Started());
    ASSERT_TRUE(process.WaitForOutput("simweb: 2 sites, 6 pages", 60000)) << process.Output();
    EXPECT_EQ(Get("127.0.21.2", "/nothing.html").nStatus, 404);
    EXPECT_TRUE(process.WaitForOutput("127.0.21.2 GET /nothing.html 404 ", 10000)) << process.Output();
    EXPECT_EQ(Get("127.0.21.1", "/simweb/stop").nStatus, 200);
    EXPECT_EQ(process.Wait(30000), 0);
    EXPECT_NE(process.Output().find("simweb: stopped"), std::string::npos);
}

TEST(SimWebExe, MistakesOnTheCommandLineEndWithUsage) {
    for (const char* szArguments : {"--sites", "--bogus", "--site-base 10.0.0.1 --print-map", "--corpus Z:\\none --print-map"}) {
        int nExit = 0;
        std::string output = RunToEnd(szArguments, nExit);
        EXPECT_NE(nExit, 0) << szArguments;
        EXPECT_NE(output.find("simweb"), std::string::npos) << szArguments;
    }
}
