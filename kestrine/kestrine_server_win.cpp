// What Kestrine registers and creates: one class, Trawler.
#include "server_module_win.h"
#include "trawler_win.h"

namespace {
const CServerClass kClasses[] = {
    {&CLSID_Trawler, L"Trawler Class", L"Kestrine.Trawler.1", L"Kestrine.Trawler", &CreateTrawler},
};
}  // namespace

const CServerDescription g_ServerDescription = {&LIBID_KESTRINELib, 1, 0, kClasses, 1, false};
