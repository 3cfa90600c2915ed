// The real path behind an entry of an install log, and what kind of path it is.
//
// An entry's path is the names of its keys joined by "\". Logs written with ClTreeCreatePath
// split a name at the 0x5C trail byte of a double-byte character (表 is 95 5C, 表示 95 5C 8E A6):
// the folder 表示 is then the key 95 with the key 8E A6 below it, and "表\sub" the keys 95, ""
// and "sub". Joining the names with "\" puts every such byte back, except at the end of a path,
// where ClTreeCreatePath took it for a trailing separator: the folder 表 alone is the key 95, and
// its files hang below that key. Here a path that ends in a lone lead byte gets its trail byte
// back where that is certain (the folder of a file or value; a key with no key below it that
// could go on with its name) and is refused otherwise, so no half-name (a path that ends inside a
// character, which Windows takes for the folder above) ever leaves this file.
#pragma once

#include <windows.h>

struct ClTreeNode;

// Paths of the uninstall run hold up to 259 bytes and a terminator.
constexpr int kEntryPathSize = 260;

// The path of entry into out (kEntryPathSize bytes). 0 when it does not fit, when it ends in a
// separator (an empty name that completes no character names nothing) or inside a character.
int EntryPath(const ClTreeNode* entry, char* out);
// The path of the folder (or registry key) that holds the file (or registry value) value.
int EntryFolderPath(const ClTreeNode* value, char* out);

// 1 when path is an absolute file-system path that may be touched: a drive ("C:") or a share
// ("\\server\share"), then one or more names that each are a safe single component
// (base/safe_name.h), so that nothing ".." or "x:" in a log reaches beyond the path it names.
int IsRemovablePath(const char* path);

// The root of a registry path (a root code CR, CU, LM, US or CC, "\", a key path), with *below
// set to the key path. Null when the path starts with no root code or names the root itself:
// nothing directly at a root is touched.
HKEY RegistryPathRoot(const char* path, const char** below);
