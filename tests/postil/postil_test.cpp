// Postil, our stand-in mail component: what it reads from the address file
// and what it would put on the clipboard and open, recorded through its
// test seam instead of a window and a mail program.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "address_window_win.h"

#include "address_batches.h"
#include "platform_owners_win.h"
#include "postil_h.h"
#include "support/temp_folder.h"

namespace {

struct ReadCase {
    const char* szFile;
    std::vector<std::string> expected;
};

class ReadAddressCases : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadAddressCases, ListsEachAddressOnce) { EXPECT_EQ(ReadAddresses(GetParam().szFile), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    Table, ReadAddressCases,
    ::testing::Values(ReadCase{"", {}},
                      ReadCase{"[http://a.com/]\r\r\na@a.com\r\r\n[WhoIs][http://b.com]\r\r\nb@b.com\r\r\n",
                               {"a@a.com", "b@b.com"}},
                      ReadCase{"x@y.org\ny@y.org\r\n\r\n\nx@y.org", {"x@y.org", "y@y.org"}},
                      ReadCase{"[only a heading]\r\n", {}}));

TEST(ComposeAddresses, BatchesStayShortAndCarryEveryAddressOnce) {
    std::vector<std::string> addresses;
    for (int i = 0; i < 300; ++i) addresses.push_back("person" + std::to_string(i) + "@example.com");
    const std::vector<std::string> batches = ComposeAddresses(addresses, 200);
    ASSERT_GT(batches.size(), 1u);
    std::string szJoined;
    for (const std::string& szBatch : batches) {
        EXPECT_LE(szBatch.size(), 200u);
        ASSERT_EQ(szBatch.compare(0, 12, "mailto:?bcc="), 0) << szBatch;
        szJoined += (szJoined.empty() ? "" : ",") + szBatch.substr(12);
    }
    std::string szExpected;
    for (const std::string& szAddress : addresses) szExpected += (szExpected.empty() ? "" : ",") + szAddress;
    EXPECT_EQ(szJoined, szExpected);
}

TEST(ComposeAddresses, EncodesAndKeepsAnOverlongAddressWhole) {
    EXPECT_EQ(ComposeAddresses({"root@[10.0.0.1]"}), std::vector<std::string>{"mailto:?bcc=root@%5B10.0.0.1%5D"});
    const std::string szLong = std::string(50, 'x') + "@a.com";
    EXPECT_EQ(ComposeAddresses({"a@b.cc", szLong}, 40),
              (std::vector<std::string>{"mailto:?bcc=a@b.cc", "mailto:?bcc=" + szLong}));
    EXPECT_TRUE(ComposeAddresses({}).empty());
}

class PostilComponentTest : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        SetEnvironmentVariableA("POSTIL_RECORD", m_folder.File("record.txt").c_str());
    }
    void TearDown() override {
        SetEnvironmentVariableA("POSTIL_RECORD", nullptr);
        CoUninitialize();
    }
    CTempFolder m_folder;
};

TEST_F(PostilComponentTest, RecordsWhatItReadsAndWouldOpen) {
    WriteWholeFile(m_folder.File("EmailAdd.txt"),
                   "[http://a.com/]\r\r\na@a.com\r\r\n[WhoIs][http://b.com]\r\r\nb@b.com\r\r\n");
    CComRef<IPostil> postil;
    ASSERT_EQ(CoCreateInstance(CLSID_Postil, nullptr, CLSCTX_INPROC_SERVER, IID_IPostil, postil.ReceiveVoid()), S_OK);
    CBstr path(AnsiToBstr(m_folder.File("EmailAdd.txt")));
    EXPECT_EQ(postil->SendAddressFile(path.Get()), S_OK);
    EXPECT_EQ(ReadWholeFile(m_folder.File("record.txt")),
              "read a@a.com\nread b@b.com\ncopy a@a.com\ncopy b@b.com\nopen mailto:?bcc=a@a.com,b@b.com\n");
}

TEST_F(PostilComponentTest, MissingFileIsAnError) {
    CComRef<IPostil> postil;
    ASSERT_EQ(CoCreateInstance(CLSID_Postil, nullptr, CLSCTX_INPROC_SERVER, IID_IPostil, postil.ReceiveVoid()), S_OK);
    CBstr path(AnsiToBstr(m_folder.File("absent.txt")));
    EXPECT_TRUE(FAILED(postil->SendAddressFile(path.Get())));
    EXPECT_EQ(ReadWholeFile(m_folder.File("record.txt")), "");
}

// The window itself, driven from a timer of its own message loop: it lists
// the addresses, "Copy" puts them on the clipboard and "Close" ends it.
struct CWindowVisit {
    std::vector<std::string> listed;
    std::string szClipboard;
    bool bVisited = false;
};
CWindowVisit g_visit;

std::string ClipboardContents() {
    std::string szText;
    if (!OpenClipboard(nullptr)) return szText;
    if (HANDLE hText = GetClipboardData(CF_TEXT)) {
        if (const char* lpText = static_cast<const char*>(GlobalLock(hText))) szText = lpText;
        GlobalUnlock(hText);
    }
    CloseClipboard();
    return szText;
}

void CALLBACK VisitWindow(HWND, UINT, UINT_PTR nTimer, DWORD) {
    KillTimer(nullptr, nTimer);
    HWND hWnd = FindWindowA("PostilAddressWindow", nullptr);
    if (!hWnd) return;
    g_visit.bVisited = true;
    HWND hList = FindWindowExA(hWnd, nullptr, "LISTBOX", nullptr);
    const LRESULT nItems = SendMessageA(hList, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < nItems; ++i) {
        char szItem[256] = "";
        if (SendMessageA(hList, LB_GETTEXTLEN, i, 0) < static_cast<LRESULT>(sizeof szItem))
            SendMessageA(hList, LB_GETTEXT, i, reinterpret_cast<LPARAM>(szItem));
        g_visit.listed.push_back(szItem);
    }
    SendMessageA(FindWindowExA(hWnd, nullptr, "BUTTON", "Copy"), BM_CLICK, 0, 0);
    g_visit.szClipboard = ClipboardContents();
    SendMessageA(FindWindowExA(hWnd, nullptr, "BUTTON", "Close"), BM_CLICK, 0, 0);
}

TEST(AddressWindow, ListsTheAddressesAndCopiesThem) {
    g_visit = CWindowVisit();
    ASSERT_NE(SetTimer(nullptr, 0, 0, VisitWindow), 0u);
    ShowAddressWindow({"a@a.com", "b@b.com"});
    ASSERT_TRUE(g_visit.bVisited);
    EXPECT_EQ(g_visit.listed, (std::vector<std::string>{"a@a.com", "b@b.com"}));
    EXPECT_EQ(g_visit.szClipboard, "a@a.com\r\nb@b.com\r\n");
    EXPECT_EQ(FindWindowA("PostilAddressWindow", nullptr), nullptr);
}

}  // namespace
