#include "screenshot_win.h"

#include <fstream>
#include <vector>

namespace {

struct Picture {
    int nWidth = 0;
    int nHeight = 0;
    std::vector<unsigned char> pixels;  // bottom-up rows, each padded to 4 bytes
};

// Copies the window's rectangle off the screen: the window of another
// process cannot be asked to paint into our device context.
bool GrabScreenRect(const RECT& rc, Picture& picture) {
    picture.nWidth = rc.right - rc.left;
    picture.nHeight = rc.bottom - rc.top;
    if (picture.nWidth <= 0 || picture.nHeight <= 0) return false;
    HDC hScreen = GetDC(nullptr);
    HDC hMemory = CreateCompatibleDC(hScreen);
    HBITMAP hBitmap = CreateCompatibleBitmap(hScreen, picture.nWidth, picture.nHeight);
    HGDIOBJ hOld = SelectObject(hMemory, hBitmap);
    bool bCopied = BitBlt(hMemory, 0, 0, picture.nWidth, picture.nHeight, hScreen, rc.left, rc.top, SRCCOPY) != 0;
    SelectObject(hMemory, hOld);

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = picture.nWidth;
    info.bmiHeader.biHeight = picture.nHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    const int nStride = (picture.nWidth * 3 + 3) & ~3;
    picture.pixels.assign(static_cast<size_t>(nStride) * picture.nHeight, 0);
    bCopied = bCopied && GetDIBits(hMemory, hBitmap, 0, picture.nHeight, picture.pixels.data(), &info,
                                   DIB_RGB_COLORS) == picture.nHeight;
    DeleteObject(hBitmap);
    DeleteDC(hMemory);
    ReleaseDC(nullptr, hScreen);
    return bCopied;
}

bool WriteBmp(const Picture& picture, const std::string& path) {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = picture.nWidth;
    header.biHeight = picture.nHeight;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = static_cast<DWORD>(file.bfOffBits + picture.pixels.size());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(reinterpret_cast<const char*>(picture.pixels.data()), static_cast<std::streamsize>(picture.pixels.size()));
    return static_cast<bool>(out);
}

// Without a window manager (Xvfb) nobody draws the caption, so the picture
// starts at the menu bar, or at the client area when there is no menu.
bool VisibleRect(HWND hWnd, RECT& rc) {
    RECT rcClient{};
    if (!GetWindowRect(hWnd, &rc) || !GetClientRect(hWnd, &rcClient)) return false;
    POINT ptTop{0, 0};
    ClientToScreen(hWnd, &ptTop);
    rc.top = ptTop.y - (GetMenu(hWnd) ? GetSystemMetrics(SM_CYMENU) : 0);
    return true;
}

}  // namespace

bool SaveWindowPicture(HWND hWnd, const std::string& path) {
    RECT rc{};
    if (!VisibleRect(hWnd, rc)) return false;
    Picture picture;
    return GrabScreenRect(rc, picture) && WriteBmp(picture, path);
}
