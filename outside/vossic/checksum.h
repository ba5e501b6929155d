#pragma once
// The rank service's request checksum. Both the stand-in "vossic.dll" and
// the local web's rank service use this one rule, so the two always agree.
//
// Rule: the text "info:" followed by the address is hashed with 32-bit
// FNV-1a over its bytes; the checksum is "6" followed by the hash as eight
// lower-case hexadecimal digits (nine characters in all, far inside the
// 259 characters the caller's buffer allows).
#include <cstddef>
#include <string>

constexpr std::size_t kRankChecksumLength = 9;

std::string RankChecksum(const char* szAddress);
