#pragma once
// Runs the real main window on a UI thread of the test program, as the
// program's start-up does, and drives it the way a user would: texts typed
// into fields, button clicks, answers to message boxes.
#include <windows.h>

#include <string>
#include <thread>

#include "support/wait_until.h"

class CMainWindowHarness {
public:
    CMainWindowHarness();
    ~CMainWindowHarness();
    CMainWindowHarness(const CMainWindowHarness&) = delete;
    CMainWindowHarness& operator=(const CMainWindowHarness&) = delete;

    HWND Main() const { return m_hMain; }
    HWND Control(int nId) const { return GetDlgItem(m_hMain, nId); }
    std::string Text(int nId) const;
    void SetText(int nId, const std::string& text) const;
    void SetChecked(HWND hDialog, int nId, bool bChecked) const;
    // A button click, posted like the one the mouse makes.
    void Click(HWND hDialog, int nId) const;
    void Click(int nId) const { Click(m_hMain, nId); }
    // A click on a column header of the result list, sent: the sort is
    // done when this returns.
    void ClickColumnHeader(int nColumn) const;

    // A visible top-level window of this process with that title.
    HWND WaitForWindow(const char* szTitle, int nTimeoutMs = 60000) const;
    bool WaitForWindowGone(HWND hWnd, int nTimeoutMs = 60000) const;
    // The text of a message box.
    static std::string MessageText(HWND hBox);
    // The run is over and the window idle again.
    bool WaitForIdle(int nTimeoutMs = 60000) const;

    int RowCount() const;
    std::string Cell(int nRow, int nColumn) const;

    // A URL run of these addresses (one per line), answered up to "Finished";
    // the box is left open for the caller.
    HWND RunUrls(const std::string& addresses, bool bFollowLinks, bool bDomainLinks, bool bBacklinks = false);

private:
    void UiThread();

    std::thread m_ui;
    HWND m_hMain = nullptr;
    HANDLE m_hReady;
    HANDLE m_hDone;
};

// A visible top-level window of that process with that title, waited for.
HWND WaitForProcessWindow(DWORD dwProcess, const char* szTitle, int nTimeoutMs);

// The user's actions on a dialog of this or another process.
void SetControlText(HWND hDialog, int nId, const std::string& text);
void SetControlChecked(HWND hDialog, int nId, bool bChecked);
// A button click, posted like the one the mouse makes.
void ClickControl(HWND hDialog, int nId);
// Opens the URL dialog of the main window hMain (of process dwProcess),
// fills it and starts the run with "OK"; false when the dialog never came.
bool StartUrlRun(HWND hMain, DWORD dwProcess, const std::string& addresses, bool bFollowLinks, bool bDomainLinks,
                 bool bBacklinks = false);

