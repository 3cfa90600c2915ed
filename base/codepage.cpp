#include "base/codepage.h"

int WideToAnsi(const wchar_t* text, char* out, int outSize) {
    return WideCharToMultiByte(CP_ACP, WC_COMPOSITECHECK, text, -1, out, outSize, nullptr, nullptr);
}

int AnsiToWide(const char* text, wchar_t* out, int outChars) {
    return MultiByteToWideChar(CP_ACP, MB_COMPOSITE, text, -1, out, outChars);
}
