#pragma once
// Corvane.exe started as its own process from a folder, which is also its
// current folder, and watched from outside: its windows, its end, its
// memory. Ended by force when it is still running at the end. Also driven
// from outside the way a user drives it: texts typed into fields, button
// clicks, the result list read back.
#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

// The folder of this program, where the build puts every binary.
std::string BinFolder();
// Copies a binary of the build into the folder, under another name if given.
void CopyBinary(const std::string& name, const std::string& folder, const std::string& as = "");
// The program and the two outside libraries it binds at start-up.
void CopyProgram(const std::string& folder);

class CProgramRun {
public:
    explicit CProgramRun(const std::string& folder, const std::string& currentFolder = "");
    ~CProgramRun();
    CProgramRun(const CProgramRun&) = delete;
    CProgramRun& operator=(const CProgramRun&) = delete;

    bool Started() const { return m_bStarted; }
    DWORD ProcessId() const { return m_info.dwProcessId; }
    HWND WaitForWindow(const char* szTitle, int nTimeoutMs = 60000) const;
    bool WaitForExit(int nTimeoutMs = 60000) const;
    DWORD ExitCode() const;
    // Peak working set so far, in bytes; 0 when it cannot be read.
    std::size_t PeakWorkingSet() const;

    // A URL run of these addresses (one per line), without following
    // links, typed into the URL dialog and started with the criteria of
    // TypeCriteria; false when the dialog did not open.
    bool StartUrlRun(HWND hMain, const std::string& addresses) const;
    // The cells of the main window's result list, row by row.
    std::vector<std::vector<std::string>> Rows(HWND hMain, int nColumns) const;

private:
    std::string Cell(HWND hList, int nRow, int nColumn) const;

    PROCESS_INFORMATION m_info{};
    bool m_bStarted = false;
};

// Minimum rank 0 and at most 100 results, typed into the main window.
void TypeCriteria(HWND hMain);
// The text of a window of any process (a message box's text: its static).
std::string RemoteText(HWND hWnd);
std::string RemoteMessageText(HWND hBox);
// Posts a click of a dialog's button.
void PostClick(HWND hDialog, int nId);

// Sends the window a message every few hundred milliseconds from a thread
// of its own and counts the messages that got no answer in time, for as
// long as the object lives.
class CResponsivenessProbe {
public:
    CResponsivenessProbe(HWND hWnd, UINT uTimeoutMs);
    ~CResponsivenessProbe();
    CResponsivenessProbe(const CResponsivenessProbe&) = delete;
    CResponsivenessProbe& operator=(const CResponsivenessProbe&) = delete;

    // Stops probing; then the counts are final.
    void Stop();
    unsigned Sent() const { return m_nSent; }
    unsigned Unanswered() const { return m_nUnanswered; }

private:
    static DWORD WINAPI Probe(void* lpParam);

    HWND m_hWnd;
    UINT m_uTimeoutMs;
    HANDLE m_hStop;
    HANDLE m_hThread;
    std::atomic<unsigned> m_nSent{0};
    std::atomic<unsigned> m_nUnanswered{0};
};
