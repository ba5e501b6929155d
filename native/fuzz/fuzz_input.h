#pragma once
// Helpers the fuzz targets share: hostile text and hostile records built
// from libFuzzer's bytes.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/link_record.h"

inline std::string WholeText(const uint8_t* lpData, std::size_t nSize) {
    return std::string(reinterpret_cast<const char*>(lpData), nSize);
}

// Up to 16 records with every text field as long as the input allows (the
// fields cut and terminate) and any counts, negative ones included.
inline std::vector<URLInfo> FuzzedRecords(FuzzedDataProvider& input) {
    std::vector<URLInfo> records;
    const int nCount = input.ConsumeIntegralInRange(0, 16);
    for (int i = 0; i < nCount && input.remaining_bytes() > 0; ++i) {
        URLInfo info = MakeRecord(input.ConsumeRandomLengthString(4096).c_str());
        info.Rank = input.ConsumeIntegral<int32_t>();
        info.lPoint = input.ConsumeIntegral<int32_t>();
        info.Outcoming = input.ConsumeIntegral<int32_t>();
        info.Incoming = input.ConsumeIntegral<int32_t>();
        info.Item = input.ConsumeIntegral<int32_t>();
        CopyField(info.Email, input.ConsumeRandomLengthString(512));
        CopyField(info.WhoIs, input.ConsumeRandomLengthString(512));
        CopyField(info.ContactPage, input.ConsumeRandomLengthString(2048));
        records.push_back(info);
    }
    return records;
}
