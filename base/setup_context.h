// SSetupContext: the one global application state of a setup run.
#pragma once

#include <cstdint>

#include "base/platform.h"
#include "base/run_flags.h"

class ClTree;

constexpr std::uint32_t EXIT_REBOOT = 0x01;

// The driver's path fields: 309 characters and the terminator.
constexpr int kContextPathSize = 310;

struct SSetupContext {
    char setupFolder[kContextPathSize];      // drive and folder of the program, with a trailing "\"
    char programPath[kContextPathSize];      // the first token of the full command line
    char dataFileArg[kContextPathSize];      // the quoted argument; /U: the uninstall data file
    char displayIconPath[kContextPathSize];  // installed path of the display-icon file, or empty
    std::uint8_t runFlags;
    const char* setupFolderRef;  // setupFolder, or null where there is no setup folder
    ClTree* setupTree;           // install mode: components and their file lists
    ClTree* fileTree;            // install mode: the package's file directory
    HINSTANCE instance;
    std::uint32_t exitFlags;
};

// Allocated, zeroed and freed by the entry point; valid for the whole run.
extern SSetupContext* g_setup;
