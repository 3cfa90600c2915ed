// Names of what all installed products share: the uninstaller in the Windows folder, its
// pending-deletion list, the self-delete batch, and the registry key that counts the products.
#pragma once

// Below HKLM\Software.
constexpr char kVendorKey[] = "Quorvane";
constexpr char kProductKey[] = "UninsDat";
constexpr char kVersionKey[] = "2.0";
constexpr char kLegacyVersionPath[] = "Vantorel\\UninsDat\\2.0";
constexpr char kLegacyProductPath[] = "Vantorel\\UninsDat";
constexpr char kLegacyVendorPath[] = "Vantorel";
// REG_DWORD: how many installed products rely on the shared uninstaller.
constexpr char kProductCountValue[] = "RefC";

constexpr char kRunOnceKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
// RunOnce value that starts the shared uninstaller with /R: restart deletion at the next logon.
constexpr char kRestartDeletionValue[] = "UninsDat200_Mivax.exe";
// RunOnce value of the self-delete batch.
constexpr char kSelfDeleteValue[] = "UninsDat200_Mivax";

// In the Windows folder.
constexpr char kSharedUninstallerFile[] = "\\UninsDat200_Mivax.exe";
// The self-delete batch and the shortcut-information file it also removes: this base name
// followed by ".bat" and ".pif".
constexpr char kSelfDeleteBaseName[] = "\\UninsDat200_Mivax";
// The pending-deletion list, which a running wizard also holds open as its instance lock.
constexpr char kPendingDeletionFile[] = "\\UninsDat200_Mivax_Res.dat";
