// A picture of the machine that a test takes before and after a change: the files and folders
// below some folders (each file with its size and a hash of its bytes) and the keys and values
// below some registry keys (each value with its type and bytes), or the whole machine at once.
// Taken in-process through Win32: the names are those programs see (code page 932) and the
// registry is the live one, which Wine writes to its own files only some time later. Windows only.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

// Path (code page 932) -> what stands there. Folders end in "\", registry keys are
// "HKCU\Software\...\" and values "HKCU\Software\...\:name".
using MachineSnapshot = std::map<std::string, std::string>;

// Adds folder and everything below it.
void SnapshotFolder(const std::string& folder, MachineSnapshot* snapshot);
// Adds the key path below root (rootName is how the paths name root) and everything below it.
void SnapshotRegistry(HKEY root, const std::string& rootName, const std::string& path,
                      MachineSnapshot* snapshot);
// The differences, one line each: "+ path" only after, "- path" only before, "~ path" changed.
// Empty when both are the same.
std::string SnapshotDifference(const MachineSnapshot& before, const MachineSnapshot& after);

// The whole machine as a Windows program sees it: every file and folder of drive C: (a file with
// its size, last-write time and a hash of its bytes), every key and value under HKLM and HKCU.
// Wine's own settings are left out, and so are the folders in skip (a test's own files).
MachineSnapshot SnapshotMachine(const std::vector<std::string>& skip = {});
