// Removing the registry values and keys that an install log records. The setup program never
// writes them; the product's programs do, and uninstalling takes them away again.
#pragma once

#include <windows.h>

#include <cstdint>

// Deletes the value name of the key at keyPath (a root code, "\", the key path; see
// uninstall/entry_path.h). A value of a root itself, or of a path that starts with no root code,
// is never touched. Missing keys and values are no error.
void RemoveRegistryValue(const char* keyPath, const char* name);

// Deletes the key at path when its log record allows it. record is the entry's data (length
// bytes, the last four the count): with ITEM_KEY_CHECK_DEFAULT, byte 8 chooses the check and the
// text from byte 9 is what a default value must be (KEY_CHECK_*, package/layout/file_record.h);
// with ITEM_KEY_RECURSIVE the key goes with all its sub-keys, without it only a key that has
// none. A key directly below a root is never touched. 1 when the key was deleted.
int RemoveRegistryKey(const char* path, const std::uint8_t* record, std::uint32_t length);
