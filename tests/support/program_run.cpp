#include "support/program_run.h"

#include <commctrl.h>
#include <psapi.h>

#include <vector>

#include "resources/resource.h"
#include "support/main_window_harness.h"

namespace {

constexpr std::size_t kRemoteCellSize = 2048;
constexpr DWORD kProbeIntervalMs = 250;

}  // namespace

std::string BinFolder() {
    char szPath[MAX_PATH];
    GetModuleFileNameA(nullptr, szPath, sizeof szPath);
    std::string path = szPath;
    return path.substr(0, path.rfind('\\'));
}

void CopyBinary(const std::string& name, const std::string& folder, const std::string& as) {
    CopyFileA((BinFolder() + "\\" + name).c_str(), (folder + "\\" + (as.empty() ? name : as)).c_str(), FALSE);
}

void CopyProgram(const std::string& folder) {
    for (const char* szName : {"Corvane.exe", "vossic.dll", "brannick.dll"}) CopyBinary(szName, folder);
}

CProgramRun::CProgramRun(const std::string& folder, const std::string& currentFolder) {
    STARTUPINFOA start{};
    start.cb = sizeof start;
    std::string command = "\"" + folder + "\\Corvane.exe\"";
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    const std::string& current = currentFolder.empty() ? folder : currentFolder;
    m_bStarted = CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, current.c_str(), &start,
                                &m_info) != FALSE;
}

CProgramRun::~CProgramRun() {
    if (!m_bStarted) return;
    if (WaitForSingleObject(m_info.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(m_info.hProcess, 1);
    CloseHandle(m_info.hProcess);
    CloseHandle(m_info.hThread);
}

HWND CProgramRun::WaitForWindow(const char* szTitle, int nTimeoutMs) const {
    return WaitForProcessWindow(m_info.dwProcessId, szTitle, nTimeoutMs);
}

bool CProgramRun::WaitForExit(int nTimeoutMs) const {
    return WaitForSingleObject(m_info.hProcess, static_cast<DWORD>(nTimeoutMs)) == WAIT_OBJECT_0;
}

DWORD CProgramRun::ExitCode() const {
    DWORD dwCode = 1;
    GetExitCodeProcess(m_info.hProcess, &dwCode);
    return dwCode;
}

std::size_t CProgramRun::PeakWorkingSet() const {
    PROCESS_MEMORY_COUNTERS counters{};
    if (!GetProcessMemoryInfo(m_info.hProcess, &counters, sizeof counters)) return 0;
    return counters.PeakWorkingSetSize;
}

// The list lives in the other process: the item and its text buffer are
// placed in that process's memory, filled there, then read back.
std::string CProgramRun::Cell(HWND hList, int nRow, int nColumn) const {
    struct Remote {
        LVITEMA item;
        char szText[kRemoteCellSize];
    };
    auto* lpRemote = static_cast<Remote*>(
        VirtualAllocEx(m_info.hProcess, nullptr, sizeof(Remote), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (!lpRemote) return "<unreadable>";
    Remote local{};
    local.item.iSubItem = nColumn;
    local.item.pszText = lpRemote->szText;
    local.item.cchTextMax = static_cast<int>(kRemoteCellSize);
    std::string text = "<unreadable>";
    if (WriteProcessMemory(m_info.hProcess, lpRemote, &local, sizeof local, nullptr)) {
        SendMessageA(hList, LVM_GETITEMTEXTA, nRow, reinterpret_cast<LPARAM>(&lpRemote->item));
        if (ReadProcessMemory(m_info.hProcess, lpRemote->szText, local.szText, sizeof local.szText, nullptr)) {
            local.szText[kRemoteCellSize - 1] = '\0';
            text = local.szText;
        }
    }
    VirtualFreeEx(m_info.hProcess, lpRemote, 0, MEM_RELEASE);
    return text;
}

bool CProgramRun::StartUrlRun(HWND hMain, const std::string& addresses) const {
    TypeCriteria(hMain);
    PostClick(hMain, IDC_TRAWLURLS);
    HWND hDialog = WaitForWindow("URL Trawl");
    if (!hDialog) return false;
    SendMessageA(GetDlgItem(hDialog, IDC_URLTEXT), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(addresses.c_str()));
    for (int nBox : {IDC_FOLLOWLINKS, IDC_DOMAINLINKS})
        SendMessageA(GetDlgItem(hDialog, nBox), BM_SETCHECK, BST_UNCHECKED, 0);
    PostClick(hDialog, IDOK);
    return true;
}

std::vector<std::vector<std::string>> CProgramRun::Rows(HWND hMain, int nColumns) const {
    HWND hList = GetDlgItem(hMain, IDC_RESULTS);
    std::vector<std::vector<std::string>> rows;
    int nCount = static_cast<int>(SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0));
    for (int nRow = 0; nRow < nCount; ++nRow) {
        std::vector<std::string> cells;
        for (int nColumn = 0; nColumn < nColumns; ++nColumn) cells.push_back(Cell(hList, nRow, nColumn));
        rows.push_back(cells);
    }
    return rows;
}

void TypeCriteria(HWND hMain) {
    SendMessageA(GetDlgItem(hMain, IDC_MINRANK), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("0"));
    SendMessageA(GetDlgItem(hMain, IDC_MAXRESULTS), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("100"));
}

std::string RemoteText(HWND hWnd) {
    LRESULT nLength = SendMessageA(hWnd, WM_GETTEXTLENGTH, 0, 0);
    std::string text(static_cast<std::size_t>(nLength) + 1, '\0');
    LRESULT nGot = SendMessageA(hWnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<std::size_t>(nGot));
    return text;
}

std::string RemoteMessageText(HWND hBox) { return RemoteText(GetDlgItem(hBox, 0xFFFF)); }

void PostClick(HWND hDialog, int nId) {
    PostMessageA(hDialog, WM_COMMAND, MAKEWPARAM(nId, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(hDialog, nId)));
}

CResponsivenessProbe::CResponsivenessProbe(HWND hWnd, UINT uTimeoutMs)
    : m_hWnd(hWnd), m_uTimeoutMs(uTimeoutMs), m_hStop(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    m_hThread = CreateThread(nullptr, 0, Probe, this, 0, nullptr);
}

CResponsivenessProbe::~CResponsivenessProbe() {
    Stop();
    CloseHandle(m_hStop);
}

void CResponsivenessProbe::Stop() {
    SetEvent(m_hStop);
    if (!m_hThread) return;
    WaitForSingleObject(m_hThread, INFINITE);
    CloseHandle(m_hThread);
    m_hThread = nullptr;
}

DWORD WINAPI CResponsivenessProbe::Probe(void* lpParam) {
    auto* self = static_cast<CResponsivenessProbe*>(lpParam);
    while (WaitForSingleObject(self->m_hStop, kProbeIntervalMs) == WAIT_TIMEOUT) {
        DWORD_PTR dwResult = 0;
        ++self->m_nSent;
        if (!SendMessageTimeoutA(self->m_hWnd, WM_NULL, 0, 0, SMTO_NORMAL, self->m_uTimeoutMs, &dwResult))
            ++self->m_nUnanswered;
    }
    return 0;
}
