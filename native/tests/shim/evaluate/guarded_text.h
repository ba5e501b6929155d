#pragma once
// Native stand-in for the guarded text of the Windows tests: a heap block
// exactly as long as the text and its NUL, so AddressSanitizer reports any
// read past the end.
#include <cstring>
#include <memory>
#include <string>

class CGuardedText {
public:
    explicit CGuardedText(const std::string& text) : m_szText(new char[text.size() + 1]) {
        std::memcpy(m_szText.get(), text.c_str(), text.size() + 1);
    }
    const char* Text() const { return m_szText.get(); }

private:
    std::unique_ptr<char[]> m_szText;
};
