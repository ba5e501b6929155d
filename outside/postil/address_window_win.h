#pragma once
// The window that lists the addresses, modal to the calling thread.
#include <string>
#include <vector>

void ShowAddressWindow(const std::vector<std::string>& addresses);

// Puts the text on the clipboard; false when the clipboard is busy.
bool CopyToClipboard(const std::string& szText);
// Opens each mailto: address with the shell's "open" verb.
void OpenMailto(const std::vector<std::string>& urls);
