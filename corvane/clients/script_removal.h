#pragma once
// The main program's own removal of script elements before a page goes to
// the contact-link finder: each "</SCRIPT>" takes back to the last
// "<SCRIPT" before it, letter case ignored. Portable.
#include <string>

std::string RemoveScriptElements(const std::string& szPage);
