#pragma once
// The question shown when the search engine answers with something that is
// not a result page (typically its page asking for a verification text).
void InstallBlockedPageQuestion();
