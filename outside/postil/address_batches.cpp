#include "address_batches.h"

#include <set>

namespace {

const char kMailtoStart[] = "mailto:?bcc=";

// Characters other than these are percent-encoded in a mailto: address.
bool IsPlain(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-' ||
           c == '_' || c == '~' || c == '@';
}

std::string Encoded(const std::string& szAddress) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string szEncoded;
    for (unsigned char c : szAddress) {
        if (IsPlain(c)) {
            szEncoded += static_cast<char>(c);
        } else {
            szEncoded += '%';
            szEncoded += kHex[c >> 4];
            szEncoded += kHex[c & 15];
        }
    }
    return szEncoded;
}

}  // namespace

std::vector<std::string> ReadAddresses(const std::string& szFileText) {
    std::vector<std::string> addresses;
    std::set<std::string> seen;
    std::size_t nPos = 0;
    while (nPos < szFileText.size()) {
        std::size_t nEnd = szFileText.find('\n', nPos);
        if (nEnd == std::string::npos) nEnd = szFileText.size();
        std::string szLine = szFileText.substr(nPos, nEnd - nPos);
        while (!szLine.empty() && (szLine.back() == '\r' || szLine.back() == ' ')) szLine.pop_back();
        nPos = nEnd + 1;
        if (szLine.empty() || szLine[0] == '[') continue;
        if (seen.insert(szLine).second) addresses.push_back(szLine);
    }
    return addresses;
}

std::string ClipboardText(const std::vector<std::string>& addresses) {
    std::string szText;
    for (const std::string& szAddress : addresses) szText.append(szAddress).append("\r\n");
    return szText;
}

std::vector<std::string> ComposeAddresses(const std::vector<std::string>& addresses, std::size_t nMaxLength) {
    std::vector<std::string> batches;
    std::string szBatch;
    for (const std::string& szAddress : addresses) {
        const std::string szEncoded = Encoded(szAddress);
        if (!szBatch.empty() && szBatch.size() + 1 + szEncoded.size() > nMaxLength) {
            batches.push_back(szBatch);
            szBatch.clear();
        }
        szBatch += szBatch.empty() ? kMailtoStart : ",";
        szBatch += szEncoded;
    }
    if (!szBatch.empty()) batches.push_back(szBatch);
    return batches;
}
