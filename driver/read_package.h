// Install mode: reading the package behind the program's own image.
#pragma once

#include <cstdint>

#include "base/setup_context.h"
#include "setupinfo/setup_info.h"

// The file offset of the package in the program file, from the slot behind the notice.
extern std::uint64_t packageOffset;

// Reads the file tree, the setup information and the setup tree of the package at offset in
// the program file setup->programPath into setup->fileTree, info and setup->setupTree. On
// failure it shows the message itself and returns 0, leaving both trees null; 1 on success.
int ReadPackage(SSetupContext* setup, SSetupInfo* info, std::uint64_t offset);

// Destroys the trees that exist and clears their pointers.
void DestroyPackageTrees(SSetupContext* setup);
