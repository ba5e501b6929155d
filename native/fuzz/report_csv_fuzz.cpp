// The CSV report over hostile records, every column choice.
#include "fuzz_input.h"
#include "report/report_export.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* lpData, std::size_t nSize) {
    FuzzedDataProvider input(lpData, nSize);
    CsvColumns columns{};
    columns.bTop20 = input.ConsumeBool();
    columns.bContact = input.ConsumeBool();
    columns.bEmail = input.ConsumeBool();
    columns.bWhoIs = input.ConsumeBool();
    BuildCsvReport(FuzzedRecords(input), columns);
    return 0;
}
