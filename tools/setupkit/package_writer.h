// Writes a planned package behind a copy of the setup program (the stub) and patches the
// stub's package offset slot. The output appears only when it is complete: it is written to a
// neighbouring file of its own (OUTPUT.XXXXXXXX.part) that replaces the output at the end.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/setupkit/package_plan.h"

struct BuildOptions {
    std::filesystem::path output;
    std::filesystem::path stub;
    bool progress = true;  // a progress bar when stderr is a terminal
};

struct BuildSummary {
    std::size_t files = 0;       // file items
    std::size_t entries = 0;     // entries written (files of one source share one)
    std::uint64_t bytesIn = 0;   // source bytes of the entries
    std::uint64_t bytesOut = 0;  // entry area, headers included
    std::uint64_t packageOffset = 0;
    std::uint64_t outputSize = 0;
};

BuildSummary WritePackage(PackagePlan& plan, const BuildOptions& options);

// The offset of the slot behind the one notice in a stub image; throws ToolError naming the
// stub when there is none or more than one.
std::size_t FindPackageSlot(const std::vector<char>& image, const std::string& stubName);
