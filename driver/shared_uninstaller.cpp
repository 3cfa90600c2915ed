#include "driver/shared_uninstaller.h"

namespace {

// Takes the count stored at the location earlier versions used, in either byte order, and
// removes it there. 1 only when the value is gone afterwards: a value that stays (its key
// may keep a sub-key, or the account may not delete it) would be counted again at every start.
int TakeLegacyCount(ClCompactRegistry& software, DWORD* count) {
    ClCompactRegistry legacy;
    if (!legacy.Open(software.key, kLegacyVersionPath))
        return 0;
    DWORD value = 0, type = 0;
    if (legacy.QueryValue(kProductCountValue, &value, sizeof value, &type) != ERROR_SUCCESS)
        return 0;
    if (type == REG_DWORD_BIG_ENDIAN) {
        value =
            (value >> 24) | ((value >> 8) & 0xFF00u) | ((value << 8) & 0xFF0000u) | (value << 24);
    } else if (type != REG_DWORD) {
        return 0;
    }
    if (legacy.DeleteValue(kProductCountValue) != ERROR_SUCCESS)
        return 0;
    *count = value;
    return 1;
}

int OpenOrCreate(ClCompactRegistry& key, HKEY parent, const char* name, bool* created) {
    *created = false;
    if (key.Open(parent, name))
        return 1;
    *created = true;
    return key.Create(parent, name);
}

}  // namespace

int KeepSharedUninstallerKey(SSharedUninstallerKeys* keys) {
    if (!keys->software.Open(HKEY_LOCAL_MACHINE, "Software"))
        return 0;

    DWORD legacyCount = 0;
    bool hasLegacyCount = TakeLegacyCount(keys->software, &legacyCount) != 0;
    // Plain deletions: each removes its key only when nothing is left below it.
    keys->software.DeleteKey(kLegacyVersionPath);
    keys->software.DeleteKey(kLegacyProductPath);
    keys->software.DeleteKey(kLegacyVendorPath);

    bool created = false;
    if (!OpenOrCreate(keys->vendor, keys->software.key, kVendorKey, &created))
        return 0;
    if (!OpenOrCreate(keys->product, keys->vendor.key, kProductKey, &created))
        return 0;
    if (!OpenOrCreate(keys->version, keys->product.key, kVersionKey, &created))
        return 0;
    if (!created && !hasLegacyCount)
        return 1;

    // Products counted at the legacy location still rely on the shared uninstaller: their
    // count is carried over and added to any count the key already holds, so that the
    // uninstaller is not removed while one of them is still installed.
    DWORD count = 0, type = 0;
    if (!created && (keys->version.QueryValue(kProductCountValue, &count, sizeof count, &type) !=
                         ERROR_SUCCESS ||
                     type != REG_DWORD)) {
        count = 0;
    }
    count += legacyCount;
    return keys->version.SetValue(kProductCountValue, REG_DWORD, &count, sizeof count) ==
                   ERROR_SUCCESS
               ? 1
               : 0;
}
