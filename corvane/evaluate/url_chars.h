#pragma once
// Address characters: ASCII letters, digits and ":/.,?&+-=". Every other
// byte ends an address (the outbound scan and the HTML export share this).
bool IsURLChar(char c);
