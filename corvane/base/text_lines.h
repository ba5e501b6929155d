#pragma once
// Multi-line edit fields hand their text over with "\r\n" between lines.
#include <string>
#include <vector>

// The lines of text, split at every "\r\n". Empty lines between two line
// ends are kept; the empty rest after a last "\r\n" (or of an empty text)
// is no line.
std::vector<std::string> SplitCrLfLines(const std::string& text);
