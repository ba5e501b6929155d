#include "simweb_reader.h"

#include <boost/regex.hpp>
#include <cstdlib>

namespace simweb_test {

long ReaderFirstResult(const std::string& page) {
    std::size_t results = page.find("Results");
    if (results == std::string::npos) return -1;
    std::size_t open = page.find("<b>", results), close = page.find("</b>", results);
    if (open == std::string::npos || close == std::string::npos || close < open) return -2;
    return std::atol(page.substr(open + 3, close - open - 3).c_str());
}

std::vector<std::string> ReaderResultLinks(const std::string& page) {
    std::vector<std::string> links;
    std::string work = page;
    for (std::size_t p = work.find("Cached"); p != std::string::npos; p = work.find("Cached")) {
        std::size_t own = work.rfind("href=", p);
        std::size_t result = own == std::string::npos || own == 0 ? std::string::npos : work.rfind("href=", own - 1);
        if (result != std::string::npos) {
            char delimiter = work[result + 5];
            std::size_t end = work.find(delimiter, result + 6);
            if (end != std::string::npos) links.push_back(work.substr(result + 6, end - result - 6));
        }
        work.erase(0, p + 6);
    }
    return links;
}

long ReaderBacklinks(const std::string& page) {
    std::size_t about = page.find("of about");
    if (about == std::string::npos) return 0;
    std::size_t open = page.find("<b>", about), close = page.find("</b>", about);
    if (open == std::string::npos || close == std::string::npos || close <= open || close - open >= 20) return 0;
    std::string number;
    for (char c : page.substr(open + 3, close - open - 3))
        if (c != ',' && c != ' ') number += c;
    return std::atol(number.substr(0, 10).c_str());
}

long ReaderRank(const std::string& answer) {
    std::size_t first = answer.find(':');
    std::size_t second = first == std::string::npos ? first : answer.find(':', first + 1);
    return second == std::string::npos ? 0 : std::atol(answer.c_str() + second + 1);
}

std::vector<std::string> ReaderEmails(const std::string& text) {
    static const boost::regex expression(
        "([a-zA-Z0-9_\\-])([a-zA-Z0-9_\\-\\.]*)@(\\[((25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9][0-9]|[0-9])\\.){3}|"
        "((([a-zA-Z0-9\\-]+)\\.)+))([a-zA-Z]{2,}|(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9][0-9]|[0-9])\\])",
        boost::regex::perl | boost::regex::no_except);
    std::vector<std::string> found;
    for (boost::sregex_iterator it(text.begin(), text.end(), expression), end; it != end; ++it)
        found.push_back(it->str());
    return found;
}

}  // namespace simweb_test
