// settings_probe.exe access | flip-contact: the settings key as the
// installed program meets it.
//   access        prints the access list of HKLM\SOFTWARE\Pellmark (SDDL),
//                 in this program's registry view, which is the setup's.
//   flip-contact  loads the options with the program's own code, turns the
//                 contact option over, saves them and prints "bContact N";
//                 ends with 1 when the options could not be loaded or saved.
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <cstdio>
#include <cstring>

#include "ui/settings_win.h"

namespace {

int PrintAccess() {
    CRegKey key;
    LONG lError = RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Pellmark", 0, READ_CONTROL, key.Receive());
    PSECURITY_DESCRIPTOR lpDescriptor = nullptr;
    if (lError == ERROR_SUCCESS)
        lError = static_cast<LONG>(GetSecurityInfo(key.Get(), SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr,
                                                   nullptr, nullptr, nullptr, &lpDescriptor));
    char* szText = nullptr;
    if (lError == ERROR_SUCCESS &&
        !ConvertSecurityDescriptorToStringSecurityDescriptorA(lpDescriptor, SDDL_REVISION_1,
                                                              DACL_SECURITY_INFORMATION, &szText, nullptr))
        lError = static_cast<LONG>(GetLastError());
    if (szText) std::printf("%s\n", szText);
    LocalFree(szText);
    LocalFree(lpDescriptor);
    if (lError == ERROR_SUCCESS) return 0;
    std::fprintf(stderr, "settings_probe: no access list (error %ld)\n", lError);
    return 1;
}

int FlipContact() {
    COptions options;
    if (!options.Load()) {
        std::fprintf(stderr, "settings_probe: the options could not be loaded\n");
        return 1;
    }
    options.SetContactFlag(!options.GetContactFlag());
    if (!options.Save()) {
        std::fprintf(stderr, "settings_probe: the options could not be saved\n");
        return 1;
    }
    std::printf("bContact %d\n", options.GetContactFlag());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "access") == 0) return PrintAccess();
    if (argc == 2 && std::strcmp(argv[1], "flip-contact") == 0) return FlipContact();
    std::fprintf(stderr, "usage: settings_probe access | flip-contact\n");
    return 2;
}
