// The uninstall data file of an installed product: what the install recorded, kept in the
// install folder for the uninstaller and for a later install over it. The install writes it;
// the wizard and the uninstall run read it.
//
// Four parts directly behind each other:
//   1  setup tree image (names and data), the components with the selection bits they had
//   2  u8 selection mask: 2 standard selection, 1 custom selection
//   3  install log image (names and data); read back, every data block gets a fresh 4-byte
//      counter slot behind its stored bytes
//   4  setup information record (SSetupInfo)
#pragma once

#include <cstdint>

#include "base/platform.h"

class ClTree;
struct SSetupInfo;

// Writes the four parts at the file's current position (the file must be seekable, as tree
// images fill in their length at the end). 1, or 0 on the first failed write.
int UninstallDataWrite(HANDLE file, ClTree* setupTree, std::uint8_t selection, ClTree* log,
                       const SSetupInfo* info);

// Reads the parts from the file's current position. Each tree is cleared before its part is
// loaded into it (the image's root comes in as a further top-level key). A null output stops
// the reading before its part: null selection reads part 1 only, null log parts 1 and 2, null
// info parts 1 to 3. 1 when every part asked for was read; 0 otherwise, and then both trees
// are cleared, the record is freed and failedPart (may be null) receives the part, 1 to 4.
int UninstallDataRead(HANDLE file, ClTree* setupTree, std::uint8_t* selection, ClTree* log,
                      SSetupInfo* info, int* failedPart = nullptr);
