#pragma once
// Splits an address into host and path the way the page loader requests
// it: the host starts behind the first "http://" (anywhere in the text) or
// at the first character, and runs to the first "/"; a port stays part of
// the host text; a path of only "/" is empty.
#include <string>

bool CrackURL(std::string url, std::string& host, std::string& path);
