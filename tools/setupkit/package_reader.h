// Opens what setupkit reads: a setup executable with its package, or an uninstall data file.
// Failures throw ToolError saying what is wrong and where.
#pragma once

#include <cstdint>
#include <filesystem>

#include "tools/setupkit/file_handle.h"
#include "tools/setupkit/package_plan.h"

struct OpenedPackage {
    std::filesystem::path path;
    ClFileHandle file;
    std::uint64_t fileSize = 0;
    std::uint64_t packageOffset = 0;  // P
    std::uint64_t entryArea = 0;      // D
    std::uint64_t directoryEnd = 0;   // where the setup tree image ended
    ClTreeOwner fileTree;
    ClTreeOwner setupTree;
    SSetupInfo info;
};

// The package of a setup executable: slot, entry area length and directory.
std::unique_ptr<OpenedPackage> OpenPackage(const std::filesystem::path& path);

struct UninstallData {
    ClTreeOwner setupTree;
    std::uint8_t selection = 0;  // 2 standard, 1 custom
    ClTreeOwner log;             // loaded with a 4-byte counter slot behind every data block
    SSetupInfo info;
};

std::unique_ptr<UninstallData> OpenUninstallData(const std::filesystem::path& path);

// True when the file starts like a Windows executable ("MZ").
bool IsExecutable(const std::filesystem::path& path);
