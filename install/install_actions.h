// The actions of the install run, one per kind of item of the package's file tree, and what
// the run does at its end. Each shows its own message over the progress page and returns 0 when
// it fails; 1 on success.
#pragma once

#include <cstdint>

class CInstallPageTracker;
struct ClTreeNode;
struct SFileRecord;

// A file (a value node): expanded from its package entry when it is newer than the file in its
// place (which is kept aside and put back if anything fails), counted in SharedDLLs when the
// record says so, entered in both logs, with its shortcuts.
int InstallFile(CInstallPageTracker* run, ClTreeNode* parent, ClTreeNode* item,
                const SFileRecord& record);
// A folder (a key node): created unless the install log knows it already, and entered.
int InstallFolder(CInstallPageTracker* run, ClTreeNode* parent, ClTreeNode* item);
// A registry key or value: only entered in both logs, under its root code and path, so that
// uninstalling removes what the product's programs create there.
int LogRegistryKey(CInstallPageTracker* run, ClTreeNode* parent, ClTreeNode* item);
int LogRegistryValue(CInstallPageTracker* run, ClTreeNode* parent, ClTreeNode* item);
// Enters the registry item name (kind TN_KEY or 0) with the record data below the path
// parentPath (a root code, "\", the key path) in both logs.
int LogRegistryItem(CInstallPageTracker* run, const char* parentPath, const char* name,
                    const std::uint8_t* data, std::uint32_t length, std::uint8_t kind);

// The desktop and program-menu shortcuts that the record of a file's install-log entry asks
// for, each written as a .lnk and entered in both logs.
int MakeShortcuts(CInstallPageTracker* run, ClTreeNode* fileEntry);
// Writes a shell link to target at link through the run's IShellLinkA.
int WriteShellLink(CInstallPageTracker* run, const char* target, const char* link,
                   const char* description, const char* arguments);

// Registers the product for uninstalling: the shared uninstaller, the Uninstall key, the
// uninstall data file.
int RegisterUninstaller(CInstallPageTracker* run);
// Opens the programs that the setup information lists, then those of them this run installed.
int RunPrograms(CInstallPageTracker* run);
