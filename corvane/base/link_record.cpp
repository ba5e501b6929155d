#include "base/link_record.h"

#include <cstring>

#include "base/platform.h"

URLInfo MakeRecord(const char* szSource) {
    URLInfo info;
    std::memset(&info, 0, sizeof info);
    info.Item = -1;
    if (szSource) CopyField(info.Source, szSource);
    return info;
}

std::string MeasureText(int32_t nCount) {
    return nCount == kNotMeasured ? std::string() : std::to_string(nCount);
}

void CopyField(char* field, std::size_t fieldSize, const char* text) {
    if (!field || fieldSize == 0) return;
    if (!text) text = "";
    std::size_t nLen = std::strlen(text);
    if (nLen >= fieldSize) nLen = fieldSize - 1;
    std::memcpy(field, text, nLen);
    field[nLen] = '\0';
}

bool FindInList(const std::vector<std::string>* lpList, const char* szAddress) {
    if (!lpList || !szAddress) return false;
    for (const std::string& item : *lpList)
        if (CompareNoCase(item.c_str(), szAddress) == 0) return true;
    return false;
}
