// Finding and reading the uninstall data file of an earlier installation of the product.
#pragma once

#include <cstdint>

class ClTree;
struct SSetupInfo;

// Reads the uninstall data file into the outputs; selection, log and earlierInfo may be null,
// which ends the reading before their parts. Installing, the file is the one named by the
// "UninstallDataFile" value of the product's Uninstall key (text 14 of info); uninstalling
// (run mode of runFlags), the one the command line names. 1 when the data was read; 0, without
// a message, when there is no such file or it cannot be read (the trees are then empty).
int LoadUninstallData(const SSetupInfo* info, ClTree* setupTree, std::uint8_t* selection,
                      ClTree* log, SSetupInfo* earlierInfo, std::uint8_t runFlags);
