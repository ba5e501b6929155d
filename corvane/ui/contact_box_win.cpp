#include <memory>

#include "base/diagnostic_log.h"
#include "base/exception_barrier.h"
#include "resources/resource.h"
#include "ui/contact_box_win.h"
#include "ui/hyperlink_win.h"

namespace {

const char kWebLink[] = "http://www.pellmark.example/";
const char kMailLink[] = "mailto:support@pellmark.example";

// The box's two link labels, alive from WM_INITDIALOG until the box closes.
struct ContactLinks {
    CMyHyperLink web;
    CMyHyperLink mail;
};

ContactLinks* LinksOf(HWND hDlg) { return reinterpret_cast<ContactLinks*>(GetWindowLongPtrA(hDlg, DWLP_USER)); }

void TakeOver(CMyHyperLink& link, HWND hDlg, int nId, const char* szLink) {
    link.SetStaticWindow(GetDlgItem(hDlg, nId));
    link.SetLink(szLink);
}

void CreateLinks(HWND hDlg) {
    auto links = std::make_unique<ContactLinks>();
    TakeOver(links->web, hDlg, IDC_CONTACT_WEB, kWebLink);
    TakeOver(links->mail, hDlg, IDC_CONTACT_MAIL, kMailLink);
    SetWindowLongPtrA(hDlg, DWLP_USER, reinterpret_cast<LONG_PTR>(links.release()));
}

void ReleaseLinks(HWND hDlg) {
    std::unique_ptr<ContactLinks> links(LinksOf(hDlg));
    SetWindowLongPtrA(hDlg, DWLP_USER, 0);
    if (!links) return;
    links->web.LeaveWindow();
    links->mail.LeaveWindow();
}

void CloseBox(HWND hDlg) {
    ReleaseLinks(hDlg);
    EndDialog(hDlg, 0);
}

INT_PTR HandleMessage(HWND hDlg, UINT uMsg, WPARAM wParam) {
    switch (uMsg) {
        case WM_INITDIALOG: CreateLinks(hDlg); return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) CloseBox(hDlg);
            break;
        case WM_CLOSE: CloseBox(hDlg); break;
        // Destroyed without OK or close (owner gone): nothing may leak.
        case WM_DESTROY: ReleaseLinks(hDlg); break;
        default: break;
    }
    return FALSE;
}

}  // namespace

INT_PTR CALLBACK ContactDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM) {
    return GuardedValue("Exception in contact box", INT_PTR{FALSE}, [&] { return HandleMessage(hDlg, uMsg, wParam); });
}

void ShowContactBox(HWND hOwner) {
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_CONTACT), hOwner, ContactDlgProc, 0);
}
