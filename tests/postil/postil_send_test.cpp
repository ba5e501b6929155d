// "&Send Mail" end to end: the mailing list writes its file and hands it
// to Postil, which records (through its test seam) what it read and would
// open. Kept apart from the Postil tests: this program must not see the
// generated interface header beside the main program's own declaration.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "report/mailing_list.h"
#include "support/temp_folder.h"

namespace {

TEST(MailSend, MailingListHandsItsFileToPostil) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    CTempFolder folder;
    SetEnvironmentVariableA("POSTIL_RECORD", folder.File("record.txt").c_str());
    g_MailSender.ClearAll();
    g_MailSender.SetAddressFilePath(folder.File("EmailAdd.txt").c_str());
    g_MailSender.AddEmails("http://site.com/", "one@site.com;two@site.com;", false);
    g_MailSender.AddEmails("http://site.com", "two@site.com;admin@isp.net;", true);
    EXPECT_TRUE(g_MailSender.Send());
    g_MailSender.ClearAll();
    SetEnvironmentVariableA("POSTIL_RECORD", nullptr);
    CoUninitialize();
    EXPECT_EQ(ReadWholeFile(folder.File("record.txt")),
              "read one@site.com\nread two@site.com\nread admin@isp.net\n"
              "copy one@site.com\ncopy two@site.com\ncopy admin@isp.net\n"
              "open mailto:?bcc=one@site.com,two@site.com,admin@isp.net\n");
}

}  // namespace
