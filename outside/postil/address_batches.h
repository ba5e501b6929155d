#pragma once
// What Postil makes of an address file: the addresses it lists, the text
// "Copy" puts on the clipboard and the mailto: addresses "Compose" opens,
// every address a blind copy, in batches short enough for a mail program.
// Portable.
#include <cstddef>
#include <string>
#include <vector>

// Longest mailto: address handed to the shell; mail programs and the
// shell's own limit on a URL are a little above 2,000 characters.
constexpr std::size_t kMaxMailtoLength = 2000;

// The address lines of the file (headings "[...]" and empty lines left
// out, line ends of any kind removed), each address once, in file order.
std::vector<std::string> ReadAddresses(const std::string& szFileText);

// One address per line, lines ended with "\r\n".
std::string ClipboardText(const std::vector<std::string>& addresses);

// "mailto:?bcc=a,b,..." batches no longer than nMaxLength; an address too
// long for any batch gets one of its own.
std::vector<std::string> ComposeAddresses(const std::vector<std::string>& addresses,
                                          std::size_t nMaxLength = kMaxMailtoLength);
