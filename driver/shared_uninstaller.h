// Names of what all installed products share: the uninstaller in the Windows folder, its
// pending-deletion list, the self-delete batch, and the registry key that counts the products.
#pragma once

#include "base/registry.h"

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
// RunOnce value of the self-delete batch.
constexpr char kSelfDeleteValue[] = "UninsDat200_Mivax";

// In the Windows folder.
constexpr char kSharedUninstallerFile[] = "\\UninsDat200_Mivax.exe";
// The self-delete batch and the shortcut-information file it also removes: this base name
// followed by ".bat" and ".pif".
constexpr char kSelfDeleteBaseName[] = "\\UninsDat200_Mivax";

// The shared-uninstaller key HKLM\Software\Quorvane\UninsDat\2.0 and the keys above it, held
// by the driver for the whole run.
struct SSharedUninstallerKeys {
    ClCompactRegistry software;
    ClCompactRegistry vendor;
    ClCompactRegistry product;
    ClCompactRegistry version;
};

// Opens (or creates) the shared-uninstaller key, removes the legacy location, and writes the
// product count where the key is new or a legacy count was found. 1, or 0 when a key cannot be
// opened or created or the count cannot be written.
int KeepSharedUninstallerKey(SSharedUninstallerKeys* keys);
