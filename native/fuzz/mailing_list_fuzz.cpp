// The mailing list filled with hostile keys and address lists, written to
// its file, entries removed again.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "fuzz_input.h"
#include "report/mailing_list.h"

namespace {
std::string s_path;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char szPath[] = "/tmp/pellmark-mailing-XXXXXX";
    const int nFile = mkstemp(szPath);
    if (nFile < 0) std::abort();
    close(nFile);
    s_path = szPath;
    std::atexit([] { std::remove(s_path.c_str()); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* lpData, std::size_t nSize) {
    FuzzedDataProvider input(lpData, nSize);
    CPostil postil;
    postil.SetAddressFilePath(s_path.c_str());
    std::vector<std::string> keys;
    while (input.remaining_bytes() > 0 && keys.size() < 16) {
        keys.push_back(input.ConsumeRandomLengthString(4096));
        const bool bWhoIs = input.ConsumeBool();
        postil.AddEmails(keys.back().c_str(), input.ConsumeRandomLengthString(4096).c_str(), bWhoIs);
    }
    postil.WriteAddressFile();
    for (std::size_t i = 0; i < keys.size(); i += 2) postil.RemoveEntry(keys[i].c_str());
    postil.WriteAddressFile();
    return 0;
}
