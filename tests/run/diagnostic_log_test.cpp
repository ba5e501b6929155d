#include <gtest/gtest.h>

#include "run/diagnostic_log.h"
#include "support/temp_folder.h"

TEST(DiagnosticLog, WritesBanner) {
    CTempFolder folder;
    CDiagnosticLog log;
    ASSERT_TRUE(log.Open(folder.File("x").c_str()));
    log.Close();
    EXPECT_NE(ReadWholeFile(folder.File("x_1.log")).find("Starting Session"), std::string::npos);
}
