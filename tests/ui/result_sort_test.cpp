#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "base/result_list.h"
#include "base/run_state.h"
#include "support/result_windows.h"
#include "ui/main_window_win.h"
#include "ui/result_columns_win.h"

namespace {

// Addresses that put the collation to work: letter case, digits, the
// punctuation of addresses, and texts equal but for their letter case.
std::vector<std::string> MixedAddresses(std::size_t nCount) {
    static const char* const kPieces[] = {"a", "B", "-", ".", "/", "1", "10", "Z", "z", "?x=", "&", "_", "A"};
    std::vector<std::string> addresses;
    unsigned nSeed = 12345;
    for (std::size_t i = 0; i < nCount; ++i) {
        std::string address = i % 2 ? "http://" : "HTTP://";
        for (int n = 0; n < 6; ++n) {
            nSeed = nSeed * 1103515245u + 12345u;
            address += kPieces[(nSeed >> 16) % (sizeof kPieces / sizeof kPieces[0])];
        }
        addresses.push_back(address);
        if (i % 7 == 0) {
            std::string upper = address;
            CharUpperA(&upper[0]);
            addresses.push_back(upper);
        }
    }
    return addresses;
}

// -1, 0 or 1: the order of two rows' addresses as the system collates them.
int Collate(const std::string& a, const std::string& b) {
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) - CSTR_EQUAL;
}

// The address column's order is that of the system's collation, letter
// case ignored, ascending on one click and descending on the next.
TEST(ResultSort, AddressClicksFollowTheSystemCollationBothWays) {
    CResultWindows windows;
    const std::vector<std::string> addresses = MixedAddresses(600);
    g_nMaxResults = static_cast<int>(addresses.size());
    g_nLinks = 0;
    for (const std::string& address : addresses) {
        URLInfo info = MakeRecord(address.c_str());
        info.Item = -1;
        UpdateList(&info);
    }
    ASSERT_EQ(windows.Rows(), static_cast<int>(addresses.size()));
    SortByColumn(g_hList, kColRank);  // the address column is not the last sorted one
    for (int nDirection : {1, -1}) {
        SortByColumn(g_hList, kColUrl);
        std::vector<std::string> rows;
        for (int i = 0; i < windows.Rows(); ++i) rows.push_back(windows.Cell(i, kColUrl));
        for (std::size_t i = 1; i < rows.size(); ++i)
            ASSERT_LE(Collate(rows[i - 1], rows[i]) * nDirection, 0) << rows[i - 1] << " before " << rows[i];
    }
}

// Rows whose backward links no source measured show an empty cell, come
// last in either order, and read back as not measured for the report.
TEST(ResultSort, UnmeasuredBackwardLinksComeLastBothWays) {
    CResultWindows windows;
    const int counts[] = {5, kNotMeasured, 2, 9};
    g_nMaxResults = 4;
    g_nLinks = 0;
    for (int nCount : counts) {
        URLInfo info = MakeRecord(("http://n" + std::to_string(nCount + 1) + ".example/").c_str());
        info.Incoming = nCount;
        UpdateList(&info);
    }
    ASSERT_EQ(windows.Rows(), 4);
    for (const std::vector<std::string>& expected :
         {std::vector<std::string>{"2", "5", "9", ""}, std::vector<std::string>{"9", "5", "2", ""}}) {
        SortByColumn(g_hList, kColBackward);
        std::vector<std::string> cells;
        for (int i = 0; i < windows.Rows(); ++i) cells.push_back(windows.Cell(i, kColBackward));
        EXPECT_EQ(cells, expected);
    }
    std::vector<URLInfo> records = ReadRows(g_hList);
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records.back().Incoming, kNotMeasured);
    EXPECT_EQ(records.front().Incoming, 9);
}

}  // namespace
