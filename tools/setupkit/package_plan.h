// What a package will hold, worked out from a manifest before anything is written: the file
// tree with every item's record (indexes assigned in walk order; entry offsets filled in while
// the entries are written), the component tree with its file-index lists, and the setup
// information. Every problem found on the way is reported with its manifest position.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "setupinfo/setup_info.h"
#include "tools/setupkit/manifest.h"
#include "tree/tree.h"
#include "tree/tree_owner.h"

// A new empty tree; throws ToolError when memory runs out.
ClTreeOwner MakeTree();

// One file item of the package and the source its entry is encoded from.
struct PlannedFile {
    ClTreeNode* node = nullptr;  // its record is the node's data
    std::filesystem::path source;
    std::uint64_t size = 0;
    std::string destination;  // UTF-8 "IF\dir\name", for progress and messages
};

struct PackagePlan {
    ClTreeOwner fileTree;
    ClTreeOwner setupTree;
    SSetupInfo info;
    std::vector<PlannedFile> files;  // in file-index order
    std::uint64_t bytesIn = 0;
};

// Plans the package of a parsed manifest; problems go to diagnostics. Null when diagnostics
// hold an error, from the manifest or from planning. Throws ToolError when memory runs out.
std::unique_ptr<PackagePlan> PlanPackage(const Manifest& manifest, Diagnostics& diagnostics);

// The setup information of a manifest (bits, macros, texts; the list of programs to run is
// added by the plan).
void FillSetupInfo(const Manifest& manifest, SSetupInfo* info);
