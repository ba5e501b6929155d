// The text report over hostile records, fresh and appended.
#include "base/run_state.h"
#include "fuzz_input.h"
#include "report/text_report.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* lpData, std::size_t nSize) {
    FuzzedDataProvider input(lpData, nSize);
    g_bContact = input.ConsumeBool();
    g_bEmail = input.ConsumeBool();
    g_bWhoIs = input.ConsumeBool();
    const bool bTop20 = input.ConsumeBool();
    const std::string keywords = input.ConsumeRandomLengthString(4096);
    ClearTextResults();
    for (int nRun = 0; nRun < 2 && input.remaining_bytes() > 0; ++nRun) {
        const std::vector<URLInfo> records = FuzzedRecords(input);
        CreateTextResults(bTop20, keywords.c_str(), &records, nRun > 0);
    }
    ClearTextResults();
    return 0;
}
