#include "postil_win.h"

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "address_batches.h"
#include "address_window_win.h"
#include "platform_owners_win.h"
#include "server_object_win.h"

namespace {

bool ReadFileText(const std::string& szPath, std::string& szText) {
    std::ifstream file(szPath, std::ios::binary);
    if (!file) return false;
    std::ostringstream text;
    text << file.rdbuf();
    szText = text.str();
    return true;
}

// The test seam: what the window would do, written to the record file.
void Record(const char* szRecordPath, const std::vector<std::string>& addresses) {
    std::ofstream record(szRecordPath, std::ios::binary | std::ios::trunc);
    for (const std::string& szAddress : addresses) record << "read " << szAddress << "\n";
    const std::string szClipboard = ClipboardText(addresses);
    std::size_t nPos = 0;
    for (std::size_t nEnd; (nEnd = szClipboard.find("\r\n", nPos)) != std::string::npos; nPos = nEnd + 2)
        record << "copy " << szClipboard.substr(nPos, nEnd - nPos) << "\n";
    for (const std::string& szUrl : ComposeAddresses(addresses)) record << "open " << szUrl << "\n";
}

}  // namespace

STDMETHODIMP CPostilMail::SendAddressFile(BSTR bstrPath) {
    try {
        std::string szText;
        if (!ReadFileText(BstrToAnsi(bstrPath), szText)) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        const std::vector<std::string> addresses = ReadAddresses(szText);
        char szRecordPath[MAX_PATH] = "";
        const DWORD nRecord = GetEnvironmentVariableA("POSTIL_RECORD", szRecordPath, sizeof szRecordPath);
        if (nRecord > 0 && nRecord < sizeof szRecordPath)
            Record(szRecordPath, addresses);
        else
            ShowAddressWindow(addresses);
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT CreatePostil(IUnknown* lpOuter, REFIID riid, void** ppv) {
    return CServerObject<CPostilMail>::Create(lpOuter, riid, ppv);
}
