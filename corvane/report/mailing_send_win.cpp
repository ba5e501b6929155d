// Hands the address file to the outside mail component.
#include <windows.h>
#include <ole2.h>

#include <memory>

#include "report/mailing_list.h"
#include "run/diagnostic_log.h"

// The component's interface as this program calls it. Declared outside the
// anonymous namespace: there, the compiler would know no class implements
// it and turn the call into a call of the pure function.
struct IPostil : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE SendAddressFile(BSTR bstrPath) = 0;
};

namespace {

// POSTILLib::Postil and its dual interface; only the first method after
// those of IDispatch is called, with the address file's path.
const CLSID kClsidPostil = {0x35FC3696, 0x8302, 0x4D7C, {0xB2, 0x35, 0x82, 0x3E, 0xC5, 0x1C, 0xC2, 0xBE}};
const IID kIidPostil = {0x7DE77A73, 0x1DA5, 0x421C, {0xB3, 0x94, 0xAA, 0x8D, 0x80, 0xFA, 0x79, 0xBF}};

template <typename T>
struct ComReleaser {
    void operator()(T* lp) const { lp->Release(); }
};
template <typename T>
using ComPtr = std::unique_ptr<T, ComReleaser<T>>;

struct BstrFree {
    void operator()(BSTR bstr) const { SysFreeString(bstr); }
};
using BstrPtr = std::unique_ptr<OLECHAR, BstrFree>;

void ShowMailError(const char* szText) { MessageBoxA(nullptr, szText, "Pellmark", MB_OK | MB_ICONERROR); }

BstrPtr ToBstr(const char* szText) {
    int nLen = MultiByteToWideChar(CP_ACP, 0, szText, -1, nullptr, 0);
    if (nLen <= 0) return BstrPtr(SysAllocString(L""));
    BstrPtr bstr(SysAllocStringLen(nullptr, static_cast<UINT>(nLen - 1)));
    if (bstr) MultiByteToWideChar(CP_ACP, 0, szText, -1, bstr.get(), nLen);
    return bstr;
}

ComPtr<IPostil> CreatePostil() {
    IUnknown* lpUnknown = nullptr;
    HRESULT hr = CoCreateInstance(kClsidPostil, nullptr,
                                  CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER, IID_IUnknown,
                                  reinterpret_cast<void**>(&lpUnknown));
    if (FAILED(hr) || !lpUnknown) return nullptr;
    ComPtr<IUnknown> unknown(lpUnknown);
    if (FAILED(OleRun(unknown.get()))) return nullptr;
    IPostil* lpPostil = nullptr;
    if (FAILED(unknown->QueryInterface(kIidPostil, reinterpret_cast<void**>(&lpPostil))) || !lpPostil)
        return nullptr;
    return ComPtr<IPostil>(lpPostil);
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

bool CPostil::Send() {
    try {
        if (!WriteAddressFileOrSay(*this)) return false;
        ComPtr<IPostil> postil = CreatePostil();
        if (!postil) {
            g_Log.Write("Fail to create instance of POSTILLib::Postil");
            ShowMailError("Fail to Get Object of Postil Component");
            return false;
        }
        BstrPtr path = ToBstr(m_szPath);
        // The component's own failures are its business; sending is done.
        postil->SendAddressFile(path.get());
        return true;
    } catch (...) {
        g_Log.Write("Exception in CPostil::Send");
        return false;
    }
}
