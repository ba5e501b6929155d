#include "support/result_windows.h"

#include <commctrl.h>

#include "base/link_record.h"
#include "base/result_list.h"
#include "ui/main_window_win.h"

namespace {

const char kClassName[] = "PellmarkTestMainWindow";
constexpr int kColumns = 8;
int s_nListMessages = 0;

LRESULT CALLBACK MainWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == kWmUpdateRow) ApplyRow(static_cast<unsigned>(wParam), reinterpret_cast<URLInfo*>(lParam));
    if (uMsg == kWmListUpdated) ++s_nListMessages;
    return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

}  // namespace

CResultWindows::CResultWindows() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    WNDCLASSA wc{};
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kClassName;
    RegisterClassA(&wc);
    s_nListMessages = 0;
    g_hMainWnd = CreateWindowA(kClassName, "", WS_OVERLAPPEDWINDOW, 0, 0, 800, 400, nullptr, nullptr, wc.hInstance, nullptr);
    g_hList = CreateWindowA(WC_LISTVIEWA, "", WS_CHILD | LVS_REPORT, 0, 0, 800, 400, g_hMainWnd, nullptr, wc.hInstance,
                            nullptr);
    for (int i = 0; i < kColumns; ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_WIDTH;
        column.cx = 100;
        ListView_InsertColumn(g_hList, i, &column);
    }
}

CResultWindows::~CResultWindows() {
    Clear();
    DestroyWindow(g_hMainWnd);
    g_hMainWnd = g_hList = nullptr;
}

int CResultWindows::Rows() const { return ListView_GetItemCount(g_hList); }

std::string CResultWindows::Cell(int nRow, int nColumn) const {
    char szText[kSourceSize] = "";
    ListView_GetItemText(g_hList, nRow, nColumn, szText, sizeof szText);
    return szText;
}

int CResultWindows::ColumnWidth(int nColumn) const { return ListView_GetColumnWidth(g_hList, nColumn); }

void CResultWindows::SetColumnWidth(int nColumn, int nWidth) { ListView_SetColumnWidth(g_hList, nColumn, nWidth); }

int CResultWindows::ListMessages() const { return s_nListMessages; }

void CResultWindows::Clear() {
    for (int i = 0; i < Rows(); ++i) {
        LVITEMA item{};
        item.mask = LVIF_PARAM;
        item.iItem = i;
        ListView_GetItem(g_hList, &item);
        delete reinterpret_cast<URLInfo*>(item.lParam);
    }
    ListView_DeleteAllItems(g_hList);
}
