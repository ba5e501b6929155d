// A click on a column header of a result list of 10,000 rows: the time
// until the list is sorted, for the address column and a number column.
#include <windows.h>
#include <commctrl.h>

#include <random>
#include <string>
#include <vector>

#include "base/result_list.h"
#include "base/run_state.h"
#include "bench_figures.h"
#include "resources/resource.h"
#include "support/main_window_harness.h"
#include "ui/result_columns_win.h"

namespace {

constexpr int kRows = 10000;

void FillRows(std::mt19937& rng) {
    g_nMaxResults = kRows;
    g_nLinks = 0;
    for (int i = 0; i < kRows; ++i) {
        URLInfo info = MakeRecord(("http://127.0.110." + std::to_string(2 + rng() % 100) + "/site" +
                                   std::to_string(rng() % 100000) + ".com/page" + std::to_string(i) + ".htm")
                                      .c_str());
        info.Item = -1;
        info.Rank = static_cast<int>(rng() % 11);
        info.Outcoming = static_cast<int>(rng() % 300);
        info.Incoming = static_cast<int>(rng() % 5000);
        info.lPoint = static_cast<int>(rng() % 100);
        UpdateList(&info);
    }
}

const URLInfo* RowRecord(HWND hList, int nRow) {
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = nRow;
    ListView_GetItem(hList, &item);
    return reinterpret_cast<const URLInfo*>(item.lParam);
}

// The order a click must give: the system's collation for the addresses,
// the list's own comparison for the numbers.
int Compare(const URLInfo* a, const URLInfo* b, int nColumn) {
    if (nColumn == kColUrl)
        return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a->Source, -1, b->Source, -1) - CSTR_EQUAL;
    return CompareItems(reinterpret_cast<LPARAM>(a), reinterpret_cast<LPARAM>(b), nColumn);
}

bool IsSorted(HWND hList, int nColumn) {
    for (int nRow = 1; nRow < kRows; ++nRow)
        if (Compare(RowRecord(hList, nRow - 1), RowRecord(hList, nRow), nColumn) > 0) return false;
    return true;
}

double ClickHeader(const CMainWindowHarness& window, int nColumn) {
    return SecondsOf([&] { window.ClickColumnHeader(nColumn); });
}

}  // namespace

int main(int argc, char** argv) {
    const int nRounds = RoundsArgument(argc, argv, 5);
    CMainWindowHarness window;
    Require(window.Main() != nullptr, "the main window did not open");
    std::mt19937 rng(7);
    FillRows(rng);
    Require(window.RowCount() == kRows, "the list holds " + std::to_string(window.RowCount()) + " rows");
    struct Column {
        int nColumn;
        const char* szName;
        std::vector<double> milliseconds;
    };
    Column columns[] = {{kColUrl, "sort of 10,000 rows by URL", {}},
                        {kColBackward, "sort of 10,000 rows by Backward links", {}}};
    // The columns take turns, so every click sorts rows that the other
    // column left in its own order, ascending each time.
    for (int r = 0; r < nRounds; ++r) {
        for (Column& column : columns) {
            column.milliseconds.push_back(ClickHeader(window, column.nColumn) * 1000.0);
            Require(IsSorted(window.Control(IDC_RESULTS), column.nColumn), std::string(column.szName) + ": not sorted");
        }
    }
    for (const Column& column : columns) PrintFigure(column.szName, "ms", "< 100", column.milliseconds);
    return 0;
}
