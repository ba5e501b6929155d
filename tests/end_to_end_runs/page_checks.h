#pragma once
// What the content checks of page evaluation must find on a page of the
// local web, worked out from the page itself by the checks' rules: the
// contact-page link and the keyword test.
#include <string>
#include <vector>

// The link words the program looks for, separated by ";".
constexpr char kContactWords[] = "contact;contact us;contactus;about;about us;aboutus;feedback";

// The contact page: the target of the first link whose text is a link
// word, made absolute against the page's address; empty when none.
std::string ContactLink(const std::string& html, const std::string& pageAddress);
// Whether one of the keywords stands as a whole word in the page's
// visible text (scripts, tags and character references taken out).
bool HoldsKeyword(const std::string& html, const std::vector<std::string>& keywords);
