// The registry key that counts the products relying on the shared uninstaller, kept at every start.
#pragma once

#include "base/registry.h"
#include "base/shared_names.h"

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
