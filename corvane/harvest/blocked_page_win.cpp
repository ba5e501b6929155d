#include "harvest/blocked_page_win.h"

#include <windows.h>

#include "harvest/result_page.h"

namespace {

bool AskUser() {
    int nAnswer = MessageBoxA(nullptr,
                              "Pellmark has failed to get links from Google. Please open your browser, do a regular "
                              "Google search,and enter the verification image text where prompted.Then press OK "
                              "below. To stop the trawling process press Cancel.",
                              "Pellmark", MB_OKCANCEL | MB_ICONINFORMATION);
    return nAnswer == IDOK;
}

}  // namespace

void InstallBlockedPageQuestion() { SetBlockedPageQuestion(AskUser); }
