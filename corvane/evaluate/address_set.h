#pragma once
// Membership as FindInList answers it (equal under the case-insensitive
// comparison of the current code page), kept ordered by that comparison so
// a question costs a logarithmic number of comparisons instead of a walk
// of the whole list. Portable.
#include <set>
#include <string>

#include "base/platform.h"

class CAddressSet {
public:
    bool Contains(const std::string& address) const { return m_items.count(address) != 0; }
    void Insert(const std::string& address) { m_items.insert(address); }

private:
    struct LessNoCase {
        bool operator()(const std::string& a, const std::string& b) const {
            return CompareNoCase(a.c_str(), b.c_str()) < 0;
        }
    };
    std::set<std::string, LessNoCase> m_items;
};
