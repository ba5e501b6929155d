// trust_ca.exe CERT.der: adds the certificate to the current user's "Root"
// store of the Wine prefix it runs in, so that WinHTTP there trusts the
// chains the local web's certificate authority signs. Run by the scripts
// for each private prefix; exits 1 with a reason when it cannot.
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: trust_ca.exe CERT.der\n");
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    std::vector<BYTE> der((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (der.empty()) {
        std::fprintf(stderr, "trust_ca: cannot read %s\n", argv[1]);
        return 1;
    }
    if (!CertAddEncodedCertificateToSystemStoreA("Root", der.data(), static_cast<DWORD>(der.size()))) {
        std::fprintf(stderr, "trust_ca: the Root store refused the certificate (error %lu)\n", GetLastError());
        return 1;
    }
    return 0;
}
