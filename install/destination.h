// Where an item of the package's file tree goes: the pre-expanded folder of the macro that heads
// its path, joined with the names below it. Every name on the way is checked, so that a damaged
// or hostile package cannot reach outside the folders its macros name.
#pragma once

#include <cstdint>

#include "setupinfo/folder_macros.h"

struct ClTreeNode;

// One pre-expanded folder per macro id; an empty slot is a macro this machine has no folder for.
using FolderTable = char[kFolderMacroCount][kFolderPathSize];

// The macro id whose code is exactly the name of the top-level key above node (or node itself),
// or -1 when that name is no macro code.
int ItemMacro(ClTreeNode* node);

// The real folder of key, a key of the file tree: its macro's slot joined with the names below
// the macro key, into out (kFolderPathSize bytes). 1, or 0 for damaged data: the macro has no
// folder (no code, a registry root, an empty slot), a name is not a safe single name, or the
// path would not fit.
int ResolveItemFolder(SSetupInfo* info, const FolderTable& folders, ClTreeNode* key, char* out);

// folder joined with name, a safe single name, into out (kFolderPathSize bytes). 1 or 0.
int JoinItemName(SSetupInfo* info, const char* folder, const char* name, char* out);

// folder joined with relative, a "\"-separated path whose every part is a safe single name.
// 1 or 0.
int JoinItemPath(SSetupInfo* info, const char* folder, const char* relative, char* out);
