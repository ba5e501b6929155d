#include "expression_search.h"

#include <boost/regex.hpp>

bool SearchExpression(const std::string& szExpression, const std::string& szSubject,
                      std::vector<std::string>& matches) {
    try {
        const boost::regex expression(szExpression, boost::regex::perl | boost::regex::no_except);
        if (expression.status() != 0) return true;
        auto itStart = szSubject.cbegin();
        const auto itEnd = szSubject.cend();
        boost::match_flag_type flags = boost::match_default;
        boost::smatch match;
        while (boost::regex_search(itStart, itEnd, match, expression, flags)) {
            matches.push_back(match.str(0));
            // An empty match would be found again at the same place: move on
            // by one character instead.
            itStart = match[0].second;
            if (match[0].first == match[0].second) {
                if (itStart == itEnd) break;
                ++itStart;
            }
            flags = boost::match_prev_avail;
        }
        return true;
    } catch (const std::exception&) {
        // The engine gave up on this text; what was found stays.
        return false;
    }
}
