// SSetupInfo: the settings and texts a package brings for its setup, and its file record.
// The package carries the record, the uninstall data file keeps a copy, and the uninstaller
// reads it back from there.
#pragma once

#include <cstdint>

#include "base/platform.h"
#include "setupinfo/setup_info_bits.h"

// Each path slot holds one zero-terminated path of the platform's path limit.
constexpr int kSetupInfoPathSlotSize = 260;

struct SSetupInfo {
    SSetupInfo() = default;
    ~SSetupInfo();
    SSetupInfo(const SSetupInfo&) = delete;
    SSetupInfo& operator=(const SSetupInfo&) = delete;

    std::uint32_t pageBits = 0;           // PAGE_* bit numbers
    std::uint32_t optionBits = 0;         // OPT_* bit numbers
    std::uint8_t installFolderMacro = 0;  // folder macro id of the install folder's base
    std::uint8_t registryRootMacro = 0;   // 14-18: the root of the "RV" macro
    std::uint16_t listCount = 0;
    char** list = nullptr;  // listCount owned stored paths; entries may be null
    std::uint16_t usedPathSlots = 0;
    std::uint16_t pathSlotCapacity = 0;
    char* pathSlots = nullptr;              // pathSlotCapacity slots of kSetupInfoPathSlotSize
    char* texts[kSetupInfoTextCount] = {};  // owned; a text may be null
    std::uint16_t extraNumber = 0;          // kept with the record, not interpreted

    // Not part of the record: the folder of the running setup program (drive and folder, with
    // a trailing separator), which the folder macro NW stands for; null where there is none.
    // Set by the driver, kept by loading and freeing.
    const char* setupFolder = nullptr;
};

// Makes the texts, the list and the path slots empty without freeing them (for a record whose
// memory holds no live blocks); bits, macros, the extra number and the setup folder stay.
void SetupInfoInit(SSetupInfo* info);
// Frees the texts, the list and the path slots; the record is empty afterwards.
void SetupInfoFree(SSetupInfo* info);

// Reads a record at the file's current position; 1, or 0 on a short read, a wrong version or
// lack of memory. After a failure the record holds what was read so far.
int SetupInfoLoad(SSetupInfo* info, HANDLE file);
// Writes the record at the file's current position; 1, or 0 on a short write or a text too
// long for its 16-bit length field.
int SetupInfoSave(const SSetupInfo* info, HANDLE file);

// The page or option bit (bit number modulo 32) as 1 or 0.
int SetupInfoTestFlag(const SSetupInfo* info, int bit);
int SetupInfoTestOption(const SSetupInfo* info, int bit);
void SetupInfoSetFlag(SSetupInfo* info, int bit, int on);
void SetupInfoSetOption(SSetupInfo* info, int bit, int on);

// Replaces a text by a copy of text (null makes it null). 1, or 0 for a text number outside
// 0-21 or lack of memory; on failure the old text stays.
int SetupInfoSetText(SSetupInfo* info, int number, const char* text);
// The index of the first list entry equal to name ignoring ASCII case; -1 for an empty name
// or no match. Null entries never match.
int SetupInfoFindName(const SSetupInfo* info, const char* name);
// Appends a path (shorter than 260 bytes) to the path slots, which are made on the first call
// with one slot per list entry. 0 when the list is empty, the slots are full, the path is too
// long or memory runs out.
int SetupInfoAddPath(SSetupInfo* info, const char* path);
