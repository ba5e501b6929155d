#include "address_window_win.h"

#include <windows.h>
#include <shellapi.h>

#include <cstring>

#include "address_batches.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

const char kClassName[] = "PostilAddressWindow";
constexpr int kIdList = 100;
constexpr int kIdCopy = 101;
constexpr int kIdCompose = 102;
constexpr int kIdClose = 103;

struct CWindowState {
    const std::vector<std::string>* lpAddresses;
};

HWND AddChild(HWND hParent, const char* szClass, const char* szText, DWORD dwStyle, int x, int y, int cx, int cy,
              int nId) {
    HWND hChild = CreateWindowExA(0, szClass, szText, WS_CHILD | WS_VISIBLE | dwStyle, x, y, cx, cy, hParent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(nId)), nullptr, nullptr);
    SendMessageA(hChild, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    return hChild;
}

void CreateChildren(HWND hWnd, const std::vector<std::string>& addresses) {
    HWND hList = AddChild(hWnd, "LISTBOX", "", WS_BORDER | WS_VSCROLL | LBS_NOINTEGRALHEIGHT, 10, 10, 360, 220, kIdList);
    for (const std::string& szAddress : addresses) SendMessageA(hList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(szAddress.c_str()));
    AddChild(hWnd, "BUTTON", "Copy", BS_PUSHBUTTON, 10, 240, 100, 26, kIdCopy);
    AddChild(hWnd, "BUTTON", "Compose", BS_DEFPUSHBUTTON, 120, 240, 100, 26, kIdCompose);
    AddChild(hWnd, "BUTTON", "Close", BS_PUSHBUTTON, 270, 240, 100, 26, kIdClose);
}

void OnCommand(HWND hWnd, int nId, const std::vector<std::string>& addresses) {
    if (nId == kIdCopy) CopyToClipboard(ClipboardText(addresses));
    if (nId == kIdCompose) OpenMailto(ComposeAddresses(addresses));
    if (nId == kIdClose || nId == IDCANCEL) DestroyWindow(hWnd);
}

LRESULT CALLBACK AddressWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    try {
        auto* lpState = reinterpret_cast<CWindowState*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
        switch (uMsg) {
            case WM_CREATE: {
                auto* lpCreate = reinterpret_cast<CREATESTRUCTA*>(lParam);
                lpState = static_cast<CWindowState*>(lpCreate->lpCreateParams);
                SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(lpState));
                CreateChildren(hWnd, *lpState->lpAddresses);
                return 0;
            }
            case WM_COMMAND:
                if (lpState) OnCommand(hWnd, LOWORD(wParam), *lpState->lpAddresses);
                return 0;
            default:
                break;
        }
    } catch (...) {
        // A failed button press leaves the window as it was.
    }
    return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

// The module that holds the window procedure (the library, when loaded as
// a component): the class goes with it. The linker places __ImageBase at
// the start of the module this code is linked into.
HINSTANCE OwnModule() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

// Registered for each showing and unregistered after it, so a library
// unloaded and loaded again never leaves a class behind that points into
// its old place.
bool RegisterWindowClass() {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = AddressWindowProc;
    windowClass.hInstance = OwnModule();
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    return RegisterClassExA(&windowClass) != 0;
}

}  // namespace

bool CopyToClipboard(const std::string& szText) {
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    HGLOBAL hText = GlobalAlloc(GMEM_MOVEABLE, szText.size() + 1);
    bool bDone = false;
    if (hText) {
        if (void* lpText = GlobalLock(hText)) {
            std::memcpy(lpText, szText.c_str(), szText.size() + 1);
            GlobalUnlock(hText);
            bDone = SetClipboardData(CF_TEXT, hText) != nullptr;
        }
        if (!bDone) GlobalFree(hText);
    }
    CloseClipboard();
    return bDone;
}

void OpenMailto(const std::vector<std::string>& urls) {
    for (const std::string& szUrl : urls) ShellExecuteA(nullptr, "open", szUrl.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void ShowAddressWindow(const std::vector<std::string>& addresses) {
    if (!RegisterWindowClass()) return;
    CWindowState state{&addresses};
    HWND hWnd = CreateWindowExA(WS_EX_DLGMODALFRAME, kClassName, "Postil - addresses to mail",
                                WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                                396, 316, nullptr, nullptr, OwnModule(), &state);
    MSG msg;
    while (hWnd && IsWindow(hWnd) && GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (IsDialogMessageA(hWnd, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    UnregisterClassA(kClassName, OwnModule());
}
