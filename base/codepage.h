// Conversion between UTF-16 and the ANSI code page (code page 932 on a Japanese system).
#pragma once

#include <windows.h>

// WideCharToMultiByte(CP_ACP, WC_COMPOSITECHECK) of the whole zero-terminated text; the API's
// result (bytes written, terminator included; 0 on failure).
int WideToAnsi(const wchar_t* text, char* out, int outSize);
// MultiByteToWideChar(CP_ACP, MB_COMPOSITE) of the whole zero-terminated text; the API's result.
int AnsiToWide(const char* text, wchar_t* out, int outChars);
