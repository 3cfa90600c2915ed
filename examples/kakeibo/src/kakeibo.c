/* kakeibo.exe: the example product's program; it only greets the user. The strings are in
   code page 932, as the program calls the ANSI API. */
#include <windows.h>

void WinMainCRTStartup(void) {
    /* "かんたん家計簿へようこそ。" / "かんたん家計簿" */
    MessageBoxA(NULL, "\x82\xa9\x82\xf1\x82\xbd\x82\xf1\x89\xc6\x8c\x76\x95\xeb\x82\xd6\x82\xe6"
                      "\x82\xa4\x82\xb1\x82\xbb\x81\x42",
                "\x82\xa9\x82\xf1\x82\xbd\x82\xf1\x89\xc6\x8c\x76\x95\xeb", MB_OK);
    ExitProcess(0);
}
