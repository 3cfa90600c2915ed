// Message boxes and string loading. Every text the program shows comes from its string table.
#pragma once

#include <windows.h>

// Shows string messageId, its "%s" replaced by argument (null counts as empty), under caption
// captionId. The result of MessageBoxA, or -1 if the shared buffers do not exist. A template
// and argument longer than the 4096-byte output buffer give an empty box.
int ShowMessageBox(HWND owner, UINT messageId, UINT captionId, UINT style, const char* argument);
// ShowMessageBox without an argument.
int ShowMessage(HWND owner, UINT messageId, UINT captionId, UINT style);
// A new zero-terminated copy of string id (empty if the table has none); the caller frees it
// with free(). Null only when memory runs out.
char* LoadResourceString(HINSTANCE instance, UINT id);
