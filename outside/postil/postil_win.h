#pragma once
// Postil: reads the address file it is given and shows a small window that
// lists the addresses, with "Copy" (all addresses to the clipboard, one per
// line) and "Compose" (the user's mail program through the shell, with
// mailto: addresses that carry the addresses as blind copies, in batches).
//
// Test seam: when the environment variable POSTIL_RECORD names a file, no
// window is shown and nothing is opened; instead that file receives what
// would have happened, one line each: "read <address>" for every address
// listed, "copy <line>" for every line "Copy" would put on the clipboard,
// "open <mailto address>" for every address "Compose" would open.
#include <windows.h>

#include "dispatch_win.h"
#include "postil_h.h"

class CPostilMail : public CDispatchImpl<IPostil, &IID_IPostil> {
public:
    // S_OK when the file was read (even without addresses); the error of
    // the file otherwise.
    STDMETHODIMP SendAddressFile(BSTR bstrPath) override;

protected:
    virtual ~CPostilMail() = default;
};

HRESULT CreatePostil(IUnknown* lpOuter, REFIID riid, void** ppv);
