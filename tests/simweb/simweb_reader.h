#pragma once
// How the program reads the engine's pages, written out independently of
// the engine, so tests check that the pages fit the reader.
#include <string>
#include <vector>

namespace simweb_test {

// The first bold number after the first "Results"; -1 when the page has
// no "Results" (not a result page), -2 when there is no bold part.
long ReaderFirstResult(const std::string& page);
// Result addresses: for each "Cached", the link before the Cached link's own.
std::vector<std::string> ReaderResultLinks(const std::string& page);
// The bold number after the first "of about" (commas and blanks removed).
long ReaderBacklinks(const std::string& page);
// The leading number after the second ":"; 0 when there is none.
long ReaderRank(const std::string& answer);
// Everything the e-mail expression of the analysis component matches.
std::vector<std::string> ReaderEmails(const std::string& text);

}  // namespace simweb_test
