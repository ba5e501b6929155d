#include "evaluate/url_chars.h"

#include <cstring>

bool IsURLChar(char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
    return c != '\0' && std::strchr(":/.,?&+-=", c) != nullptr;
}
