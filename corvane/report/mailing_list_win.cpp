// The mailing list's Windows half: hands the address file to the outside
// mail component.
#include <windows.h>
#include <ole2.h>

#include "base/diagnostic_log.h"
#include "platform_owners_win.h"
#include "postil_h.h"
#include "report/mailing_list.h"

namespace {

void ShowMailError(const char* szText) { MessageBoxA(nullptr, szText, "Pellmark", MB_OK | MB_ICONERROR); }

// POSTILLib::Postil, running, through its dual interface.
CComRef<IPostil> CreatePostil() {
    CComRef<IUnknown> unknown;
    HRESULT hr = CoCreateInstance(CLSID_Postil, nullptr,
                                  CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER, IID_IUnknown,
                                  unknown.ReceiveVoid());
    if (FAILED(hr) || !unknown || FAILED(OleRun(unknown.Get()))) return CComRef<IPostil>();
    CComRef<IPostil> postil;
    if (FAILED(unknown->QueryInterface(IID_IPostil, postil.ReceiveVoid()))) return CComRef<IPostil>();
    return postil;
}

bool WriteAddressFileOrSay(const CPostil& sender) {
    switch (sender.WriteAddressFile()) {
        case EAddressFile::Written: return true;
        case EAddressFile::OpenFailed: ShowMailError("Fail to open file"); return false;
        case EAddressFile::NoAddresses: ShowMailError("Sorry, No Email Addresses Trawled !!"); return false;
    }
    return false;
}

}  // namespace

// Called by the main window's "&Send Mail" button: a failure of writing the
// file ends at the main window's barrier, like a false result.
bool CPostil::Send() {
    if (!WriteAddressFileOrSay(*this)) return false;
    CComRef<IPostil> postil = CreatePostil();
    if (!postil) {
        g_Log.Write("Fail to create instance of POSTILLib::Postil");
        ShowMailError("Fail to Get Object of Postil Component");
        return false;
    }
    CBstr path(AnsiToBstr(m_szPath));
    // The component's own failures are its business; sending is done.
    postil->SendAddressFile(path.Get());
    return true;
}
