// What Postil registers and creates: one class, Postil.
#include "postil_win.h"
#include "server_module_win.h"

namespace {
const CServerClass kClasses[] = {
    {&CLSID_Postil, L"Postil Class", L"Postil.Postil.1", L"Postil.Postil", &CreatePostil},
};
}  // namespace

const CServerDescription g_ServerDescription = {&LIBID_POSTILLib, 1, 0, kClasses, 1, false};
