/* qvcommon.dll: the publisher's shared helper library, installed as a shared DLL. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance;
    (void)reason;
    (void)reserved;
    return TRUE;
}

__declspec(dllexport) int QvVersion(void) { return 0x0100; }
