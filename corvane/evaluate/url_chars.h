#pragma once
// Address characters: ASCII letters, digits and ":/.,?&+-=". Every other
// byte ends an address (the outbound scan and the HTML export share this,
// and what marks an address as absolute).
bool IsURLChar(char c);

// Walks the absolute addresses of a text in text order: every "http://"
// and every "https://", letters in any case, through the tools library's
// case-blind search. Each scheme is searched on only from its own last
// find, so a page is read about twice, however many links it holds.
class CAbsoluteMarks {
public:
    explicit CAbsoluteMarks(const char* szText);
    // The next mark, null when there is none.
    const char* Next();

private:
    const char* m_lpNext[2];
};

// The first "http://" or "https://" of the text, whichever comes first.
const char* FindAbsoluteMark(const char* szText);
