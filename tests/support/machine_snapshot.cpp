#include "tests/support/machine_snapshot.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "tests/support/temp_dir.h"

namespace {

// The exclusions of one snapshot, as prefixes of the paths.
struct SFilter {
    std::vector<std::string> prefixes;
    bool withTimes;
    bool Skips(const std::string& path) const {
        return std::any_of(prefixes.begin(), prefixes.end(), [&](const std::string& prefix) {
            return _strnicmp(path.c_str(), prefix.c_str(), prefix.size()) == 0;
        });
    }
};

// Size and hash of a file's bytes. A file that another program holds without sharing reads as
// empty.
std::string DescribeFile(const std::string& path) {
    const std::string bytes = ReadWholeFile(path);
    return std::to_string(bytes.size()) + " bytes " +
           std::to_string(std::hash<std::string>()(bytes));
}

void WalkFolder(const std::string& folder, const SFilter& filter, MachineSnapshot* snapshot) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    (*snapshot)[folder + "\\"] = "folder";
    do {
        const std::string name = found.cFileName, path = folder + "\\" + name;
        if (name == "." || name == ".." || filter.Skips(path + "\\"))
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            WalkFolder(path, filter, snapshot);
        } else {
            char time[20];
            std::snprintf(time, sizeof time, " %08lx%08lx", found.ftLastWriteTime.dwHighDateTime,
                          found.ftLastWriteTime.dwLowDateTime);
            (*snapshot)[path] = DescribeFile(path) + (filter.withTimes ? time : "");
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

// Links (HKLM\System\CurrentControlSet and the like) are not followed: what they point at is
// seen under its own name.
void WalkRegistry(HKEY root, const std::string& rootName, const std::string& path,
                  const SFilter& filter, MachineSnapshot* snapshot) {
    const std::string named = rootName + "\\" + path + (path.empty() ? "" : "\\");
    HKEY key = nullptr;
    if (filter.Skips(named) ||
        RegOpenKeyExA(root, path.c_str(), REG_OPTION_OPEN_LINK, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    (*snapshot)[named] = "key";
    std::vector<char> data(1 << 16);
    char name[16384];
    for (DWORD index = 0;; ++index) {
        DWORD nameSize = sizeof name, dataSize = static_cast<DWORD>(data.size()), type = 0;
        const LONG read = RegEnumValueA(key, index, name, &nameSize, nullptr, &type,
                                        reinterpret_cast<BYTE*>(data.data()), &dataSize);
        if (read == ERROR_MORE_DATA) {
            data.resize(dataSize);
            --index;
        } else if (read != ERROR_SUCCESS) {
            break;
        } else {
            (*snapshot)[named + ":" + name] =
                std::to_string(type) + " " + std::string(data.data(), dataSize);
        }
    }
    std::vector<std::string> subKeys;
    for (DWORD index = 0, nameSize = sizeof name;
         RegEnumKeyExA(key, index, name, &nameSize, nullptr, nullptr, nullptr, nullptr) ==
         ERROR_SUCCESS;
         ++index, nameSize = sizeof name)
        subKeys.push_back(name);
    RegCloseKey(key);
    for (const std::string& sub : subKeys)
        WalkRegistry(root, rootName, path.empty() ? sub : path + "\\" + sub, filter, snapshot);
}

}  // namespace

void SnapshotFolder(const std::string& folder, MachineSnapshot* snapshot) {
    WalkFolder(folder, {{}, false}, snapshot);
}

void SnapshotRegistry(HKEY root, const std::string& rootName, const std::string& path,
                      MachineSnapshot* snapshot) {
    WalkRegistry(root, rootName, path, {{}, false}, snapshot);
}

std::string SnapshotDifference(const MachineSnapshot& before, const MachineSnapshot& after) {
    std::string lines;
    for (const auto& [path, what] : before) {
        auto now = after.find(path);
        if (now == after.end())
            lines += "- " + path + "\n";
        else if (now->second != what)
            lines += "~ " + path + "\n";
    }
    for (const auto& [path, what] : after) {
        if (before.find(path) == before.end())
            lines += "+ " + path + "\n";
    }
    return lines;
}

MachineSnapshot SnapshotMachine(const std::vector<std::string>& skip) {
    // Wine's own housekeeping, which changes whatever the programs do: the session's system
    // parameters user32 keeps the first time a window opens, the Unix menu entry made for every
    // shortcut, the mouse settings kept while a program runs.
    SFilter filter = {{"HKCU\\Software\\Wine\\"}, true};
    for (const std::string& folder : skip)
        filter.prefixes.push_back(folder + "\\");
    MachineSnapshot snapshot;
    WalkFolder("C:", filter, &snapshot);
    WalkRegistry(HKEY_LOCAL_MACHINE, "HKLM", "", filter, &snapshot);
    WalkRegistry(HKEY_CURRENT_USER, "HKCU", "", filter, &snapshot);
    return snapshot;
}
