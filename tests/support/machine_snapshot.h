// A picture of the machine that a test takes before and after a change: the files and folders
// below some folders (each file with its size and a hash of its bytes) and the keys and values
// below some registry keys (each value with its type and bytes). Windows only.
#pragma once

#include <windows.h>

#include <map>
#include <string>

// Path (code page 932) -> what stands there. Folders end in "\", registry keys are
// "HKCU\Software\...\" and values "HKCU\Software\...\:name".
using MachineSnapshot = std::map<std::string, std::string>;

// Adds folder and everything below it.
void SnapshotFolder(const std::string& folder, MachineSnapshot* snapshot);
// Adds the key path below root (rootName is how the paths name root) and everything below it.
void SnapshotRegistry(HKEY root, const std::string& rootName, const std::string& path,
                      MachineSnapshot* snapshot);
// Removes path and everything below it (the paths that start with it).
void SnapshotForget(MachineSnapshot* snapshot, const std::string& path);
// The differences, one line each: "+ path" only after, "- path" only before, "~ path" changed.
// Empty when both are the same.
std::string SnapshotDifference(const MachineSnapshot& before, const MachineSnapshot& after);
