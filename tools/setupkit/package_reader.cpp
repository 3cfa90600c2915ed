#include "tools/setupkit/package_reader.h"

#include <cstring>
#include <fstream>
#include <vector>

#include "base/file_io.h"
#include "base/little_endian.h"
#include "package/layout/package_layout.h"
#include "setupinfo/uninstall_data.h"

namespace fs = std::filesystem;

namespace {

// Finds the slot behind the first notice of the file. The notice lies in the program image,
// which comes before the package, so the first one found is the program's own.
std::uint64_t FindSlot(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw ToolError("cannot read " + path.u8string());
    constexpr std::size_t kChunk = 1 << 20;
    std::vector<char> buffer(kChunk + kPackageNoticeSize + 4);
    std::size_t kept = 0;
    std::uint64_t base = 0;  // file offset of buffer[0]
    for (;;) {
        in.read(buffer.data() + kept, kChunk);
        const std::size_t have = kept + static_cast<std::size_t>(in.gcount());
        if (have < kPackageNoticeSize + 4)
            break;
        if (const char* found = FindPackageNotice(buffer.data(), buffer.data() + have))
            return base + static_cast<std::uint64_t>(found - buffer.data()) + kPackageNoticeSize;
        if (!in)
            break;
        kept = kPackageNoticeSize + 3;
        std::memmove(buffer.data(), buffer.data() + have - kept, kept);
        base += have - kept;
    }
    throw ToolError(path.u8string() +
                    ": no package offset slot found; not a setup executable of this system");
}

std::uint64_t ReadSlot(HANDLE file, std::uint64_t slot, const fs::path& path) {
    std::uint8_t bytes[4];
    if (!SetFilePosition(file, slot) || !ReadFileAll(file, bytes, 4))
        throw ToolError(path.u8string() + ": cannot read the package offset slot");
    return LoadLe32(bytes);
}

std::uint64_t SizeOf(HANDLE file, const fs::path& path) {
    std::uint64_t size = 0;
    if (!GetFileSize64(file, &size))
        throw ToolError("cannot read the size of " + path.u8string());
    return size;
}

}  // namespace

bool IsExecutable(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    char magic[2] = {};
    in.read(magic, 2);
    return in && magic[0] == 'M' && magic[1] == 'Z';
}

std::unique_ptr<OpenedPackage> OpenPackage(const fs::path& path) {
    const std::uint64_t slot = FindSlot(path);
    auto package = std::unique_ptr<OpenedPackage>(
        new OpenedPackage{path, OpenForReading(path), 0, 0, 0, 0, MakeTree(), MakeTree(), {}});
    const std::string name = path.u8string();
    HANDLE file = package->file.get();
    package->fileSize = SizeOf(file, path);
    package->packageOffset = ReadSlot(file, slot, path);
    if (package->packageOffset == 0)
        throw ToolError(name +
                        ": the package offset slot is 0; this is a setup program "
                        "without a package");
    if (package->packageOffset <= slot || package->packageOffset + 8 > package->fileSize)
        throw ToolError(name + ": the package offset slot says " +
                        HexOffset(package->packageOffset) +
                        ", which is not a place in this file of " +
                        std::to_string(package->fileSize) + " bytes");
    PackageFailure failure = PACKAGE_FAIL_NONE;
    if (!PackageLoadDirectory(file, package->packageOffset, package->fileTree.get(), &package->info,
                              package->setupTree.get(), &package->entryArea, &failure)) {
        switch (failure) {
            case PACKAGE_FAIL_SEEK:
                throw ToolError(name + ": the entry area of the package at " +
                                HexOffset(package->packageOffset) +
                                " runs past the end of the file");
            case PACKAGE_FAIL_FILE_TREE:
                throw ToolError(name + ": the file tree image is damaged or cut short");
            case PACKAGE_FAIL_SETUP_INFO:
                throw ToolError(name + ": the setup information record is damaged or cut short");
            case PACKAGE_FAIL_SETUP_TREE:
                throw ToolError(name + ": the setup tree image is damaged or cut short");
            default:
                throw ToolError(name + ": cannot read the package at " +
                                HexOffset(package->packageOffset));
        }
    }
    if (package->packageOffset + 8 + package->entryArea > package->fileSize)
        throw ToolError(name + ": the entry area runs past the end of the file");
    if (!GetFilePosition(file, &package->directoryEnd))
        throw ToolError(name + ": cannot tell where the package directory ends");
    return package;
}

std::unique_ptr<UninstallData> OpenUninstallData(const fs::path& path) {
    auto data = std::unique_ptr<UninstallData>(new UninstallData{MakeTree(), 0, MakeTree(), {}});
    ClFileHandle file = OpenForReading(path);
    int failedPart = 0;
    if (UninstallDataRead(file.get(), data->setupTree.get(), &data->selection, data->log.get(),
                          &data->info, &failedPart))
        return data;
    static const char* const parts[] = {"the setup tree image is damaged or cut short",
                                        "the selection byte is missing",
                                        "the install log image is damaged or cut short",
                                        "the setup information record is damaged or cut short"};
    throw ToolError(path.u8string() + ": " + parts[failedPart - 1]);
}
