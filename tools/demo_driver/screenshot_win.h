#pragma once
// Saves what the screen shows of a window as a 24-bit BMP file; the demo
// script turns it into PNG.
#include <windows.h>

#include <string>

bool SaveWindowPicture(HWND hWnd, const std::string& path);
