#pragma once
// What the engine reads out of a stored page: its links, its visible
// words, its title and the e-mail addresses in it.
#include <string>
#include <vector>

namespace simweb {

// Every href attribute value in text order, as written (any letter case,
// double, single or no quotes, blanks around "=" allowed). A value whose
// quote never closes runs to the end of its tag.
std::vector<std::string> ExtractHrefs(const std::string& html);

// The text a reader sees: script and style elements, comments and tags
// removed, character references read as blanks.
std::string VisibleText(const std::string& html);

// Text of the first title element, blanks collapsed; empty when none.
std::string PageTitle(const std::string& html);

// Every match of the e-mail expression the analysis component uses, in
// text order, duplicates kept.
std::vector<std::string> FindEmails(const std::string& text);

}  // namespace simweb
