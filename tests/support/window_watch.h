#pragma once
// Drives modal windows (dialogs, message boxes, the save-file dialog) from a
// second thread while the thread under test sits in the modal loop. Every
// wait polls with a time limit; on failure the watcher closes the windows
// of the thread under test so its modal call returns and the test can fail.
#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "support/wait_until.h"

// A visible top-level dialog-class window of the given thread with this caption.
HWND WaitForDialog(DWORD dwThreadId, const char* szCaption, DWORD dwTimeoutMs = kWindowWaitMs);

std::string WindowText(HWND hWnd);
// Texts of every static child, in z order (a message box's text is one).
std::vector<std::string> StaticTexts(HWND hDlg);
// Presses a dialog button the way a click does.
void PressButton(HWND hDlg, int nId);
// Types a name into the file name box of the save-file dialog.
bool TypeFileName(HWND hDlg, const std::string& name);
// Presses a save button of a dialog of that thread, types the name into
// the save-file dialog it opens and confirms it; true once that dialog has
// gone with the name taken.
bool SaveThroughFileDialog(DWORD dwThreadId, HWND hDlg, int nButton, const std::string& name,
                           DWORD dwTimeoutMs = kWindowWaitMs);
// Closes every top-level window of the thread (used when a wait fails).
void CloseThreadWindows(DWORD dwThreadId);

// Runs a script on its own thread against the calling thread's windows.
// The script returns false on failure; the watcher then closes the calling
// thread's windows. Join() waits for the script and answers its result.
class CWindowScript {
public:
    explicit CWindowScript(std::function<bool(DWORD dwTargetThread)> script);
    ~CWindowScript();
    CWindowScript(const CWindowScript&) = delete;
    CWindowScript& operator=(const CWindowScript&) = delete;
    bool Join();

private:
    std::thread m_thread;
    bool m_bResult = false;
};
