// The folder browsers the destination page opens: over all drives, over given folders, or over
// folders named in the registry's Shell Folders.
#pragma once

#include <windows.h>

#include "ui/folder_dialog.h"

// Each shows the folder browser owned by owner, opened at the folder in buffer (size bytes),
// and gives: 1 when a folder was chosen (its path is in buffer), 2 when cancelled (buffer
// unchanged), 0 when the template is missing, -1 when the dialog cannot be shown.

// The browser over all drives.
int BrowseForFolder(HINSTANCE module, HWND owner, const SFolderDialogIds& ids, char* buffer,
                    int size);
// The browser over rootCount folders (a null or empty one: all drives).
int BrowseForFolderInRoots(HINSTANCE module, HWND owner, const SFolderDialogIds& ids, char* buffer,
                           int size, const char* const* roots, int rootCount);
// The browser over the folders that the values valueNames[i] of the Shell Folders key name,
// under rootKeys[i] (HKEY_CURRENT_USER when rootKeys is null). Missing values are left out;
// -1 without showing anything when none is left.
int BrowseShellFolder(HINSTANCE module, HWND owner, const SFolderDialogIds& ids, char* buffer,
                      int size, const char* const* valueNames, const HKEY* rootKeys, int count);
