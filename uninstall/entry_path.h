// The real path behind an entry of an install log, and what kind of path it is.
//
// An entry's path is the names of its keys joined by "\". Logs written by ClTreeCreatePath split
// a name at the 0x5C trail byte of a double-byte character (表 is 95 5C): the folder 表 is then
// the key "\x95", and a path that goes on below it the keys "\x95" and "". Joining the names
// with "\" puts every such byte back except the one behind the last name, so a path that ends
// in a lone lead byte gets it back here. No path that ends inside a character (a half-name that
// could name another folder) leaves this file.
#pragma once

#include <windows.h>

struct ClTreeNode;

// Paths of the uninstall run hold up to 259 bytes and a terminator.
constexpr int kEntryPathSize = 260;

// The path of entry into out (kEntryPathSize bytes). 0 when it does not fit or when it ends in a
// separator: an empty name that completes no character names nothing.
int EntryPath(const ClTreeNode* entry, char* out);

// 1 when path is an absolute file-system path that may be touched: a drive ("C:") or a share
// ("\\server\share"), then one or more names that each are a safe single component
// (base/safe_name.h), so that nothing ".." or "x:" in a log reaches beyond the path it names.
int IsRemovablePath(const char* path);

// The root of a registry path (a root code CR, CU, LM, US or CC, "\", a key path), with *below
// set to the key path. Null when the path starts with no root code or names the root itself:
// nothing directly at a root is touched.
HKEY RegistryPathRoot(const char* path, const char** below);
