#pragma once
// The result list's columns, their show/hide rule, sorting and reading rows
// back into records.
#include <windows.h>

#include <vector>

#include "base/link_record.h"

enum ResultColumn {
    kColUrl = 0,
    kColRank,
    kColOutbound,
    kColBackward,
    kColBoost,
    kColWhoIs,
    kColContact,
    kColEmail,
    kColumnCount
};

void InsertResultColumns(HWND hList);
// Sort comparison of two rows' records by a number column.
int CALLBACK CompareItems(LPARAM lFirst, LPARAM lSecond, LPARAM lSort);
// Column click: ascending, or descending when the same column was the last
// ascending sort.
void SortByColumn(HWND hList, int nColumn);
// The rows, in the list's order, as records (numbers and the enabled option
// texts; the address last).
std::vector<URLInfo> ReadRows(HWND hList);
