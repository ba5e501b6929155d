#include "base/text_lines.h"

std::vector<std::string> SplitCrLfLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t nStart = 0;
    for (;;) {
        std::size_t nEnd = text.find("\r\n", nStart);
        if (nEnd == std::string::npos) {
            if (nStart < text.size()) lines.push_back(text.substr(nStart));
            return lines;
        }
        lines.push_back(text.substr(nStart, nEnd - nStart));
        nStart = nEnd + 2;
    }
}
