#pragma once
// The regular-expression match walker both components use: Boost.Regex in
// Perl syntax, case-sensitive, every whole match from left to right, each
// new search starting where the last match ended. Portable.
#include <string>
#include <vector>

// Appends the text of every match of szExpression in szSubject to matches.
// An expression that does not compile finds nothing. When the engine gives
// up (complexity, memory) the matches found so far are kept and the answer
// is false; true when the walk reached the end of the subject.
bool SearchExpression(const std::string& szExpression, const std::string& szSubject,
                      std::vector<std::string>& matches);
