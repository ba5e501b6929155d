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

// A service's answer: the first byte picks the status ('0' 200, '1' 400,
// '2' 401, '3' 403, '4' 404, '5' 422, '6' 429, '7' 500, and so on around),
// the rest is the body.
struct FuzzedAnswer {
    int nStatus;
    std::string body;
};
inline FuzzedAnswer SplitAnswer(const uint8_t* lpData, std::size_t nSize) {
    static const int kStatuses[] = {200, 400, 401, 403, 404, 422, 429, 500};
    if (nSize == 0) return {200, std::string()};
    return {kStatuses[lpData[0] % 8], WholeText(lpData + 1, nSize - 1)};
}

// What every result list a reader gives must hold, whatever the answer.
inline bool IsWebAddressList(const std::vector<std::string>& urls, std::size_t nMax) {
    if (urls.size() > nMax) return false;
    for (const std::string& url : urls) {
        const std::string head = url.substr(0, 8);
        std::string lower;
        for (char c : head) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        if (lower.rfind("http://", 0) != 0 && lower.rfind("https://", 0) != 0) return false;
        for (char c : url)
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
    }
    return true;
}
