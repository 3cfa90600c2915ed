#include "tests/support/machine_snapshot.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "tests/install/install_harness.h"
#include "tests/support/temp_dir.h"

namespace {

// What a whole-machine snapshot leaves out: Wine's own housekeeping, which changes whatever the
// programs do. Paths as the snapshot names them; each leaves out everything below it.
const char* const kHousekeeping[] = {
    // user32 keeps the session's system parameters here the first time a window opens.
    "HKCU\\Software\\Wine\\Temporary System Parameters\\",
};

// The exclusions of one snapshot, as prefixes of the paths.
struct SFilter {
    std::vector<std::string> prefixes;
    bool withTimes;
    bool Skips(const std::string& path) const {
        for (const std::string& prefix : prefixes) {
            if (_strnicmp(path.c_str(), prefix.c_str(), prefix.size()) == 0)
                return true;
        }
        return false;
    }
};

const SFilter kNoFilter = {{}, false};

std::string Hash(const std::string& bytes) {
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (unsigned char byte : bytes)
        hash = (hash ^ byte) * 1099511628211ull;
    char text[48];
    std::snprintf(text, sizeof text, "%zu bytes %016llx", bytes.size(),
                  static_cast<unsigned long long>(hash));
    return text;
}

std::string Time(const FILETIME& time) {
    SYSTEMTIME at;
    FileTimeToSystemTime(&time, &at);
    char text[40];
    std::snprintf(text, sizeof text, " %04u-%02u-%02u %02u:%02u:%02u.%03u", at.wYear, at.wMonth,
                  at.wDay, at.wHour, at.wMinute, at.wSecond, at.wMilliseconds);
    return text;
}

// Size and hash of a file's bytes, read in blocks: the drive holds hundreds of megabytes. A
// file that another program holds without sharing cannot be read: it says so.
std::string DescribeFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "in use";
    static std::vector<std::uint64_t> block(1 << 17);
    std::uint64_t hash = 14695981039346656037ull, size = 0;
    DWORD got = 0;
    while (ReadFile(file, block.data(), static_cast<DWORD>(block.size() * 8), &got, nullptr) &&
           got > 0) {
        std::memset(reinterpret_cast<char*>(block.data()) + got, 0, (8 - got % 8) % 8);
        for (DWORD word = 0; word < (got + 7) / 8; ++word)
            hash = (hash ^ block[word]) * 1099511628211ull;  // FNV-1a, a word at a time
        size += got;
    }
    CloseHandle(file);
    char text[48];
    std::snprintf(text, sizeof text, "%llu bytes %016llx", static_cast<unsigned long long>(size),
                  static_cast<unsigned long long>(hash));
    return text;
}

void WalkFolder(const std::string& folder, const SFilter& filter, MachineSnapshot* snapshot) {
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
        if (filter.Skips(path + "\\"))
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            WalkFolder(path, filter, snapshot);
            continue;
        }
        (*snapshot)[path] = filter.withTimes ? DescribeFile(path) + Time(found.ftLastWriteTime)
                                             : Hash(ReadWholeFile(path));
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

// Links (HKLM\System\CurrentControlSet and the like) are not followed: what they point at is
// seen under its own name.
void WalkRegistry(HKEY root, const std::string& rootName, const std::string& path,
                  const SFilter& filter, MachineSnapshot* snapshot) {
    std::string named = rootName + "\\" + path + (path.empty() ? "" : "\\");
    if (filter.Skips(named))
        return;
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), REG_OPTION_OPEN_LINK, KEY_READ, &key) != ERROR_SUCCESS)
        return;
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
            Hash(std::string(reinterpret_cast<char*>(data.data()), dataSize));
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
        WalkRegistry(root, rootName, path.empty() ? sub : path + "\\" + sub, filter, snapshot);
}

}  // namespace

void SnapshotFolder(const std::string& folder, MachineSnapshot* snapshot) {
    WalkFolder(folder, kNoFilter, snapshot);
}

void SnapshotRegistry(HKEY root, const std::string& rootName, const std::string& path,
                      MachineSnapshot* snapshot) {
    WalkRegistry(root, rootName, path, kNoFilter, snapshot);
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

MachineSnapshot SnapshotMachine(const std::vector<std::string>& skip) {
    SFilter filter = {{std::begin(kHousekeeping), std::end(kHousekeeping)}, true};
    for (const std::string& folder : skip)
        filter.prefixes.push_back(folder + "\\");
    MachineSnapshot snapshot;
    WalkFolder("C:", filter, &snapshot);
    WalkRegistry(HKEY_LOCAL_MACHINE, "HKLM", "", filter, &snapshot);
    WalkRegistry(HKEY_CURRENT_USER, "HKCU", "", filter, &snapshot);
    return snapshot;
}

std::string SnapshotChanges(const MachineSnapshot& before, const MachineSnapshot& after) {
    std::string lines;
    auto old = before.begin();
    auto now = after.begin();
    while (old != before.end() || now != after.end()) {
        if (now == after.end() || (old != before.end() && old->first < now->first)) {
            lines += "- " + Utf8(old->first) + " = " + old->second + "\n";
            ++old;
        } else if (old == before.end() || now->first < old->first) {
            lines += "+ " + Utf8(now->first) + " = " + now->second + "\n";
            ++now;
        } else {
            if (old->second != now->second)
                lines +=
                    "~ " + Utf8(now->first) + " = " + old->second + " -> " + now->second + "\n";
            ++old;
            ++now;
        }
    }
    return lines;
}
