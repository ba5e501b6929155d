#include "end_to_end_runs/sent_mail.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "report/mailing_list.h"
#include "resources/resource.h"

namespace {

constexpr char kRecordName[] = "postil.txt";
constexpr char kAddressFileName[] = "EmailAdd.txt";

void AddLine(std::string& file, std::vector<std::string>& written, const std::string& line) {
    if (std::find(written.begin(), written.end(), line) != written.end()) return;
    written.push_back(line);
    file += line + "\r\r\n";
}

}  // namespace

MailingList ExpectedMailingList(const simweb::CCorpus& corpus, const PageOptions& options,
                                const std::vector<int>& evaluated, const std::vector<int>& accepted) {
    MailingList list;
    for (int page : accepted)
        if (options.bEmail && !corpus.Emails(page).empty())
            list.pages.emplace(corpus.Page(page).address, corpus.Emails(page));
    for (int page : evaluated) {
        const std::vector<std::string>& whois = corpus.WhoIsEmails(corpus.Page(page).site);
        if (options.bWhoIs && !whois.empty()) list.whois.emplace(WhoIsKey(corpus.Page(page).address), whois);
    }
    return list;
}

std::string WhoIsKey(const std::string& pageAddress) {
    std::size_t nHost = pageAddress.find("http://");
    nHost = nHost == std::string::npos ? 0 : nHost + 7;
    return pageAddress.substr(0, pageAddress.find('/', nHost));
}

std::string ExpectedAddressFile(const MailingList& list) {
    std::string file;
    std::vector<std::string> written;
    for (const auto& page : list.pages) {
        AddLine(file, written, "[" + page.first + "]");
        for (const std::string& address : page.second) AddLine(file, written, address);
    }
    for (const auto& domain : list.whois) {
        AddLine(file, written, "[WhoIs][" + domain.first + "]");
        for (const std::string& address : domain.second) AddLine(file, written, address);
    }
    return file;
}

CSentMail::CSentMail() : m_savedAddressFile(g_MailSender.AddressFilePath()) {
    SetEnvironmentVariableA("POSTIL_RECORD", m_folder.File(kRecordName).c_str());
    g_MailSender.SetAddressFilePath(m_folder.File(kAddressFileName).c_str());
}

CSentMail::~CSentMail() {
    SetEnvironmentVariableA("POSTIL_RECORD", nullptr);
    g_MailSender.SetAddressFilePath(m_savedAddressFile.c_str());
}

void CSentMail::ExpectSent(const CMainWindowHarness& window, const MailingList& list) const {
    std::string expected = ExpectedAddressFile(list);
    DeleteFileA(m_folder.File(kRecordName).c_str());
    window.Click(IDC_SENDMAIL);
    if (expected.empty()) {
        HWND hBox = WaitForProgramBox(window);
        ASSERT_NE(hBox, nullptr);
        EXPECT_EQ(CMainWindowHarness::MessageText(hBox), "Sorry, No Email Addresses Trawled !!");
        window.Click(hBox, IDOK);
        ASSERT_TRUE(window.WaitForWindowGone(hBox));
    } else {
        ASSERT_TRUE(WaitUntil([&] { return !ReadWholeFile(m_folder.File(kRecordName)).empty(); }, 60000))
            << "the mail component was not handed the file";
    }
    EXPECT_EQ(ReadWholeFile(m_folder.File(kAddressFileName)), expected);
}
