#include "ui/result_columns_win.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <unordered_map>

#include "base/diagnostic_log.h"
#include "base/exception_barrier.h"
#include "base/run_state.h"
#include "ui/main_window_win.h"

namespace {

constexpr std::size_t kTitleSize = 256;
constexpr std::size_t kCellSize = 2048;

struct ColumnInfo {
    char szTitle[kTitleSize];
    int nWidth;
    int nSubItem;
    bool bShown;
};

ColumnInfo s_columns[kColumnCount] = {
    {"URL", 150, 0, true},
    {"Page rank", 100, 1, true},
    {"Outbound links", 100, 2, true},
    {"Backward links", 100, 3, true},
    {"PR boost to you", 120, 4, true},
    {"WhoIs", 150, 5, false},
    {"Contact Page", 150, 6, false},
    {"Mail Address", 100, 7, false},
};

int s_nSortColumn = -1;

bool OptionOf(int nColumn) {
    switch (nColumn) {
    case kColWhoIs: return g_bWhoIs;
    case kColContact: return g_bContact;
    case kColEmail: return g_bEmail;
    default: return true;
    }
}

int CompareNumbers(int a, int b) { return a < b ? -1 : (a > b ? 1 : 0); }

int ReadCellNumber(HWND hList, int nRow, int nColumn) {
    char szText[kCellSize] = "";
    ListView_GetItemText(hList, nRow, nColumn, szText, sizeof szText);
    return std::atoi(szText);
}

void ReadCellText(HWND hList, int nRow, int nColumn, char* szField, std::size_t nSize) {
    char szText[kCellSize] = "";
    ListView_GetItemText(hList, nRow, nColumn, szText, sizeof szText);
    CopyField(szField, nSize, szText);
}

// An empty cell is a count that was not measured.
int ReadCellMeasure(HWND hList, int nRow, int nColumn) {
    char szText[kCellSize] = "";
    ReadCellText(hList, nRow, nColumn, szText, sizeof szText);
    return szText[0] ? std::atoi(szText) : kNotMeasured;
}

// The address order as CompareStringA gives it, as a rank per row's
// record. A sort key compares byte by byte in that same order, so the
// addresses are collated once each instead of twice in every one of the
// list's comparisons.
struct AddressOrder {
    std::unordered_map<LPARAM, std::size_t> ranks;
    bool bDescending;
};

std::string AddressSortKey(const char* szAddress) {
    int nSize = LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, szAddress, -1, nullptr, 0);
    if (nSize <= 0) return std::string();
    std::string key(static_cast<std::size_t>(nSize), '\0');
    LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, szAddress, -1, &key[0], nSize);
    return key;
}

AddressOrder RankAddresses(HWND hList, bool bDescending) {
    std::vector<std::pair<std::string, LPARAM>> keyed;
    int nCount = ListView_GetItemCount(hList);
    for (int nRow = 0; nRow < nCount; ++nRow) {
        LVITEMA item{};
        item.mask = LVIF_PARAM;
        item.iItem = nRow;
        if (!ListView_GetItem(hList, &item) || !item.lParam) continue;
        keyed.emplace_back(AddressSortKey(reinterpret_cast<const URLInfo*>(item.lParam)->Source), item.lParam);
    }
    std::sort(keyed.begin(), keyed.end());
    AddressOrder order{{}, bDescending};
    std::size_t nRank = 0;
    for (std::size_t i = 0; i < keyed.size(); ++i) {
        if (i > 0 && keyed[i].first != keyed[i - 1].first) ++nRank;
        order.ranks[keyed[i].second] = nRank;
    }
    return order;
}

int CALLBACK CompareAddressRanks(LPARAM lFirst, LPARAM lSecond, LPARAM lOrder) {
    const AddressOrder* lpOrder = reinterpret_cast<const AddressOrder*>(lOrder);
    auto first = lpOrder->ranks.find(lFirst), second = lpOrder->ranks.find(lSecond);
    if (first == lpOrder->ranks.end() || second == lpOrder->ranks.end()) return 0;
    int nResult = CompareNumbers(static_cast<int>(first->second), static_cast<int>(second->second));
    return lpOrder->bDescending ? -nResult : nResult;
}

}  // namespace

void InsertResultColumns(HWND hList) {
    for (int i = 0; i < kColumnCount; ++i) {
        s_columns[i].bShown = OptionOf(i);
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = s_columns[i].szTitle;
        column.cx = s_columns[i].bShown ? s_columns[i].nWidth : 0;
        column.iSubItem = s_columns[i].nSubItem;
        SendMessageA(hList, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
    s_nSortColumn = -1;
}

void ApplyColumnVisibility() {
    for (int i = kColWhoIs; i <= kColEmail; ++i) {
        s_columns[i].bShown = OptionOf(i);
        ListView_SetColumnWidth(g_hList, i, s_columns[i].bShown ? s_columns[i].nWidth : 0);
    }
}

int CALLBACK CompareItems(LPARAM lFirst, LPARAM lSecond, LPARAM lSort) {
    const URLInfo* a = reinterpret_cast<const URLInfo*>(lFirst);
    const URLInfo* b = reinterpret_cast<const URLInfo*>(lSecond);
    if (!a || !b) return 0;
    int nColumn = static_cast<int>(lSort & 0xFF);
    bool bDescending = (lSort & 0x100) != 0;
    int nResult = 0;
    switch (nColumn) {
    case kColRank: nResult = CompareNumbers(a->Rank, b->Rank); break;
    case kColOutbound: nResult = CompareNumbers(a->Outcoming, b->Outcoming); break;
    case kColBackward:
        // A count that was not measured comes last, whichever the order.
        if ((a->Incoming == kNotMeasured) != (b->Incoming == kNotMeasured)) return a->Incoming == kNotMeasured ? 1 : -1;
        nResult = CompareNumbers(a->Incoming, b->Incoming);
        break;
    case kColBoost: nResult = CompareNumbers(a->lPoint, b->lPoint); break;
    default: return 0;  // the address column sorts by its own ranks; the other text columns do not sort
    }
    return bDescending ? -nResult : nResult;
}

void SortByColumn(HWND hList, int nColumn) {
    LPARAM lSort = nColumn;
    if (nColumn == s_nSortColumn) {
        s_nSortColumn = -1;
        lSort |= 0x100;
    } else {
        s_nSortColumn = nColumn;
    }
    if (nColumn == kColUrl) {
        AddressOrder order = RankAddresses(hList, (lSort & 0x100) != 0);
        ListView_SortItems(hList, CompareAddressRanks, reinterpret_cast<LPARAM>(&order));
        return;
    }
    ListView_SortItems(hList, CompareItems, lSort);
}

std::vector<URLInfo> ReadRows(HWND hList) {
    std::vector<URLInfo> records;
    int nCount = ListView_GetItemCount(hList);
    if (nCount < 0) {
        g_Log.Write("CreateResList: the row count could not be read");
        return records;
    }
    for (int nRow = 0; nRow < nCount; ++nRow) {
        URLInfo info = MakeRecord();
        info.Item = 0;
        info.Rank = ReadCellNumber(hList, nRow, kColRank);
        info.Outcoming = ReadCellNumber(hList, nRow, kColOutbound);
        info.Incoming = ReadCellMeasure(hList, nRow, kColBackward);
        info.lPoint = ReadCellNumber(hList, nRow, kColBoost);
        if (g_bEmail) ReadCellText(hList, nRow, kColEmail, info.Email, sizeof info.Email);
        if (g_bContact) ReadCellText(hList, nRow, kColContact, info.ContactPage, sizeof info.ContactPage);
        if (g_bWhoIs) ReadCellText(hList, nRow, kColWhoIs, info.WhoIs, sizeof info.WhoIs);
        ReadCellText(hList, nRow, kColUrl, info.Source, sizeof info.Source);
        // The stop routine goes on with the rows that could be kept.
        GuardedWith([nRow] { g_Log.Printf("CreateResList: row %d could not be read", nRow); },
                    [&] { records.push_back(info); });
    }
    return records;
}
