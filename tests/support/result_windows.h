#pragma once
// Stand-ins for the main window and its result list, for tests that run
// UpdateList or the column rule without the whole main window: a list view
// with the eight result columns as g_hList, and a plain window as
// g_hMainWnd that counts WM_LIST_UPDATED.
#include <windows.h>

#include <string>

class CResultWindows {
public:
    CResultWindows();
    ~CResultWindows();
    CResultWindows(const CResultWindows&) = delete;
    CResultWindows& operator=(const CResultWindows&) = delete;

    int Rows() const;
    std::string Cell(int nRow, int nColumn) const;
    int ColumnWidth(int nColumn) const;
    void SetColumnWidth(int nColumn, int nWidth);
    int ListMessages() const;
    // Deletes every row and the record copy it owns.
    void Clear();
};
