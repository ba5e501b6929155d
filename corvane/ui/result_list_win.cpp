#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <memory>

#include "base/diagnostic_log.h"
#include "base/result_list.h"
#include "base/run_fence.h"
#include "base/run_state.h"
#include "ui/main_window_win.h"
#include "ui/result_columns_win.h"

namespace {

constexpr std::size_t kCellSize = 2048;
constexpr int kAppendPosition = 0xFFFFFF;

// Under Wine the list redraws its scroll bars for every row it takes, at
// once, which costs more than all the rest of a page's evaluation. Rows
// therefore go into a list whose drawing is held; a timer of the main
// window shows them a few at a time, and the run's end shows the last.
bool s_bDrawingHeld = false;

void HoldDrawing() {
    if (s_bDrawingHeld) return;
    SendMessageA(g_hList, WM_SETREDRAW, FALSE, 0);
    s_bDrawingHeld = true;
}

void SetCell(int nRow, int nColumn, const char* szText) {
    char szCell[kCellSize];
    std::snprintf(szCell, sizeof szCell, "%s", szText);
    LVITEMA item{};
    item.iSubItem = nColumn;
    item.pszText = szCell;
    SendMessageA(g_hList, LVM_SETITEMTEXTA, nRow, reinterpret_cast<LPARAM>(&item));
}

void SetNumberCell(int nRow, int nColumn, int nValue) {
    char szCell[kCellSize];
    std::snprintf(szCell, sizeof szCell, "%d", nValue);
    SetCell(nRow, nColumn, szCell);
}

// Inserts the row for a new record; false when no row is to be made. A copy
// that cannot be made ends at the main window's barrier: no row either.
bool InsertRow(URLInfo* lpInfo) {
    int nBefore = g_nLinks++;
    if (nBefore >= g_nMaxResults) return false;
    auto copy = std::make_unique<URLInfo>(*lpInfo);
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = kAppendPosition;
    item.pszText = lpInfo->Source;
    item.lParam = reinterpret_cast<LPARAM>(copy.get());
    int nRow = static_cast<int>(SendMessageA(g_hList, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (nRow < 0) {
        g_Log.Write("UpdateList: the row could not be inserted");
        return false;
    }
    copy.release();  // the row owns it now
    lpInfo->Item = nRow;
    return true;
}

}  // namespace

void UpdateList(URLInfo* lpInfo) {
    if (!lpInfo) {
        g_Log.Write("UpdateList: no record");
        return;
    }
    SendMessageA(g_hMainWnd, kWmUpdateRow, ThreadRunSerial(), reinterpret_cast<LPARAM>(lpInfo));
}

void ApplyRow(unsigned nSerial, URLInfo* lpInfo) {
    if (!lpInfo) return;
    if (nSerial != kNoRun && nSerial != g_nRunSerial) {
        g_Log.Printf("UpdateList: the run of %s has ended; no row", lpInfo->Source);
        return;
    }
    HoldDrawing();
    if (lpInfo->Item < 0 && !InsertRow(lpInfo)) return;
    int nRow = lpInfo->Item;
    SetNumberCell(nRow, kColRank, lpInfo->Rank);
    SetNumberCell(nRow, kColOutbound, lpInfo->Outcoming);
    SetCell(nRow, kColBackward, MeasureText(lpInfo->Incoming).c_str());
    SetNumberCell(nRow, kColBoost, lpInfo->lPoint);
    if (g_bEmail) SetCell(nRow, kColEmail, lpInfo->Email);
    if (g_bContact) SetCell(nRow, kColContact, lpInfo->ContactPage);
    if (g_bWhoIs) SetCell(nRow, kColWhoIs, lpInfo->WhoIs);
    SendMessageA(g_hMainWnd, kWmListUpdated, 0, reinterpret_cast<LPARAM>(lpInfo));
}

void ShowHeldRows() {
    if (!s_bDrawingHeld) return;
    s_bDrawingHeld = false;
    SendMessageA(g_hList, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(g_hList, nullptr, TRUE);
}
