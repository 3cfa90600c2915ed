#include "tests/support/machine_snapshot.h"

#include <cstdint>
#include <cstdio>
#include <vector>

#include "tests/support/temp_dir.h"

namespace {

std::string Describe(const std::string& bytes) {
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (unsigned char byte : bytes)
        hash = (hash ^ byte) * 1099511628211ull;
    char text[48];
    std::snprintf(text, sizeof text, "%zu bytes %016llx", bytes.size(),
                  static_cast<unsigned long long>(hash));
    return text;
}

}  // namespace

void SnapshotFolder(const std::string& folder, MachineSnapshot* snapshot) {
    if (GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES)
        return;
    (*snapshot)[folder + "\\"] = "folder";
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        std::string path = folder + "\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            SnapshotFolder(path, snapshot);
        else
            (*snapshot)[path] = Describe(ReadWholeFile(path));
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

void SnapshotRegistry(HKEY root, const std::string& rootName, const std::string& path,
                      MachineSnapshot* snapshot) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    std::string named = rootName + "\\" + path + (path.empty() ? "" : "\\");
    (*snapshot)[named] = "key";
    std::vector<BYTE> data(1 << 16);
    char name[16384];
    for (DWORD index = 0;; ++index) {
        DWORD nameSize = sizeof name;
        DWORD dataSize = static_cast<DWORD>(data.size());
        DWORD type = 0;
        LONG read =
            RegEnumValueA(key, index, name, &nameSize, nullptr, &type, data.data(), &dataSize);
        if (read == ERROR_MORE_DATA) {
            data.resize(dataSize);
            --index;
            continue;
        }
        if (read != ERROR_SUCCESS)
            break;
        (*snapshot)[named + ":" + name] =
            std::to_string(type) + " " +
            Describe(std::string(reinterpret_cast<char*>(data.data()), dataSize));
    }
    std::vector<std::string> subKeys;
    for (DWORD index = 0;; ++index) {
        DWORD nameSize = sizeof name;
        if (RegEnumKeyExA(key, index, name, &nameSize, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        subKeys.push_back(name);
    }
    RegCloseKey(key);
    for (const std::string& sub : subKeys)
        SnapshotRegistry(root, rootName, path.empty() ? sub : path + "\\" + sub, snapshot);
}

void SnapshotForget(MachineSnapshot* snapshot, const std::string& path) {
    for (auto at = snapshot->lower_bound(path);
         at != snapshot->end() && at->first.compare(0, path.size(), path) == 0;)
        at = snapshot->erase(at);
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
