#include "html_scan.h"

#include <boost/regex.hpp>
#include <cctype>

#include "sim_text.h"

namespace simweb {

namespace {

const char kEmailExpression[] =
    "([a-zA-Z0-9_\\-])([a-zA-Z0-9_\\-\\.]*)@(\\[((25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9][0-9]|[0-9])\\.){3}|"
    "((([a-zA-Z0-9\\-]+)\\.)+))([a-zA-Z]{2,}|(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9][0-9]|[0-9])\\])";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::size_t SkipBlanks(const std::string& text, std::size_t i) {
    while (i < text.size() && IsBlank(text[i])) ++i;
    return i;
}

// Value of the attribute whose "=" is at or after i; sets next behind it.
std::string AttributeValue(const std::string& html, std::size_t i, std::size_t& next) {
    char quote = html[i];
    if (quote == '"' || quote == '\'') {
        std::size_t close = html.find(quote, i + 1);
        std::size_t tagEnd = html.find('>', i + 1);
        if (close == std::string::npos) close = tagEnd == std::string::npos ? html.size() : tagEnd;
        next = close + 1;
        return html.substr(i + 1, close - i - 1);
    }
    std::size_t end = i;
    while (end < html.size() && !IsBlank(html[end]) && html[end] != '>') ++end;
    next = end;
    return html.substr(i, end - i);
}

// Removes every element that starts with szOpen up to the end marker.
void DropBetween(std::string& text, const char* szOpen, const char* szClose) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    for (;;) {
        std::size_t open = FindNoCase(text, szOpen, i);
        if (open == std::string::npos) break;
        out.append(text, i, open - i);
        std::size_t close = FindNoCase(text, szClose, open);
        if (close == std::string::npos) {
            i = text.size();
            break;
        }
        out += ' ';
        i = close + std::char_traits<char>::length(szClose);
    }
    out.append(text, i, std::string::npos);
    text.swap(out);
}

std::string CollapseBlanks(const std::string& text) {
    std::string out;
    bool bBlank = false;
    for (char c : text) {
        if (IsBlank(c)) {
            bBlank = !out.empty();
            continue;
        }
        if (bBlank) out += ' ';
        bBlank = false;
        out += c;
    }
    return out;
}

}  // namespace

std::vector<std::string> ExtractHrefs(const std::string& html) {
    std::vector<std::string> hrefs;
    std::size_t i = 0;
    while ((i = FindNoCase(html, "href", i)) != std::string::npos) {
        bool bAttribute = i > 0 && (IsBlank(html[i - 1]) || html[i - 1] == '"' || html[i - 1] == '\'');
        std::size_t eq = SkipBlanks(html, i + 4);
        i += 4;
        if (!bAttribute || eq >= html.size() || html[eq] != '=') continue;
        std::size_t value = SkipBlanks(html, eq + 1);
        if (value >= html.size()) break;
        std::size_t next = value;
        hrefs.push_back(AttributeValue(html, value, next));
        i = next > i ? next : i;
    }
    return hrefs;
}

std::string VisibleText(const std::string& html) {
    std::string text = html;
    DropBetween(text, "<script", "</script>");
    DropBetween(text, "<style", "</style>");
    DropBetween(text, "<!--", "-->");
    std::string out;
    out.reserve(text.size());
    bool bInTag = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (bInTag) {
            if (c == '>') {
                bInTag = false;
                out += ' ';
            }
        } else if (c == '<') {
            bInTag = true;
        } else if (c == '&') {
            std::size_t semi = text.find(';', i);
            if (semi != std::string::npos && semi - i <= 10) i = semi;
            out += ' ';
        } else {
            out += c;
        }
    }
    return out;
}

std::string PageTitle(const std::string& html) {
    std::size_t open = FindNoCase(html, "<title");
    if (open == std::string::npos) return std::string();
    std::size_t start = html.find('>', open);
    if (start == std::string::npos) return std::string();
    std::size_t close = FindNoCase(html, "</title", start);
    if (close == std::string::npos) return std::string();
    return CollapseBlanks(html.substr(start + 1, close - start - 1));
}

std::vector<std::string> FindEmails(const std::string& text) {
    static const boost::regex expression(kEmailExpression, boost::regex::perl | boost::regex::no_except);
    std::vector<std::string> found;
    boost::sregex_iterator it(text.begin(), text.end(), expression);
    for (boost::sregex_iterator end; it != end; ++it) found.push_back(it->str());
    return found;
}

}  // namespace simweb
