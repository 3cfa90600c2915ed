// Expansion of the folder macros into the real folders of this machine (Windows only).
//
// A stored path is a two-letter macro code followed by a path relative to the macro's folder
// ("86\Vendor\app.exe"). ExpandFolderMacros finds the folder and joins the relative path to it;
// every result fits the platform's path limit of 259 bytes and a terminator.
#pragma once

#include <cstdint>

#include "base/platform.h"
#include "setupinfo/folder_macro_codes.h"
#include "setupinfo/setup_info.h"

constexpr int kFolderPathSize = 260;

// The folder of macro joined with relative (null or empty: the folder itself, without a trailing
// backslash). base is the folder of OT and is used by no other macro. The result goes to out
// (kFolderPathSize bytes, may be base's own buffer) and out is returned; without out it is a new
// heap string that the caller frees with std::free. Null when the macro is not a folder (14-18,
// 28 or more), the folder cannot be found, or the result would not fit.
//
// IF expands the record's install-folder macro with text 2; a record whose install-folder macro
// is IF itself is changed to PF first. RV reads the value named by text 19 under the key named by
// text 18, below the root given by the record's registry-root macro. NW is the record's
// setupFolder.
char* ExpandFolderMacros(SSetupInfo* info, std::uint16_t macro, const char* relative = nullptr,
                         const char* base = nullptr, char* out = nullptr);

// The predefined key of a registry root macro (CR, CU, LM, US, CC); null for any other macro.
HKEY RegistryRootOf(std::uint16_t macro);

// The start menu's programs folder for all users, else the current user's, as a new heap
// string (std::free); null if neither is recorded.
char* GetProgramsFolder();
