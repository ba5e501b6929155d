// What Ostrel registers and creates: one class, COstrel.
#include "ostrel_win.h"
#include "server_module_win.h"

namespace {
const CServerClass kClasses[] = {
    {&CLSID_COstrel, L"COstrel Class", L"Ostrel.COstrel.1", L"Ostrel.COstrel", &CreateOstrel},
};
}  // namespace

const CServerDescription g_ServerDescription = {&LIBID_OSTRELLib, 1, 0, kClasses, 1, true};
