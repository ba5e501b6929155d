// The HTML report of any report text, and the saved file's name.
#include "fuzz_input.h"
#include "report/report_export.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* lpData, std::size_t nSize) {
    const std::string text = WholeText(lpData, nSize);
    BuildHtmlReport(text);
    WithReportExtension(text.c_str(), nSize % 2 == 0);
    return 0;
}
