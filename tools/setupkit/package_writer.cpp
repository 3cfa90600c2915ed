#include "tools/setupkit/package_writer.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>

#include "base/file_io.h"
#include "base/little_endian.h"
#include "package/layout/file_record.h"
#include "package/layout/package_layout.h"
#include "tools/setupkit/entry_codec.h"
#include "tools/setupkit/file_handle.h"
#include "tools/setupkit/progress.h"
#include "tree/tree_file.h"

namespace fs = std::filesystem;

namespace {

std::vector<char> ReadStub(const fs::path& stub) {
    std::ifstream in(stub, std::ios::binary);
    if (!in)
        throw ToolError("cannot read the stub " + stub.u8string() +
                        " (the setup.exe of the Windows build; give it with --stub)");
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

void WriteU64At(HANDLE file, std::uint64_t position, std::uint64_t value, std::uint64_t back,
                const fs::path& name) {
    std::uint8_t bytes[8];
    StoreLe64(bytes, value);
    if (!SetFilePosition(file, position) || !WriteFileAll(file, bytes, 8) ||
        !SetFilePosition(file, back))
        throw ToolError("cannot write " + name.u8string());
}

std::uint64_t Position(HANDLE file) {
    std::uint64_t position = 0;
    GetFilePosition(file, &position);
    return position;
}

// Removes the partly written output unless the build got to the end.
class PartFile {
  public:
    explicit PartFile(fs::path path) : path_(std::move(path)) {}
    ~PartFile() {
        if (!kept_) {
            std::error_code ignored;
            fs::remove(path_, ignored);
        }
    }
    void Keep() { kept_ = true; }
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
    bool kept_ = false;
};

}  // namespace

std::size_t FindPackageSlot(const std::vector<char>& image, const std::string& stubName) {
    const char* begin = image.data();
    const char* end = begin + image.size();
    const char* found = FindPackageNotice(begin, end);
    if (found == nullptr)
        throw ToolError(stubName +
                        " has no package offset slot; is it the setup.exe of this version?");
    if (FindPackageNotice(found + 1, end) != nullptr)
        throw ToolError(stubName +
                        " holds the package notice twice; cannot tell which slot to patch");
    return static_cast<std::size_t>(found - begin) + kPackageNoticeSize;
}

BuildSummary WritePackage(PackagePlan& plan, const BuildOptions& options) {
    BuildSummary summary;
    std::vector<char> stub = ReadStub(options.stub);
    const std::size_t slot = FindPackageSlot(stub, options.stub.u8string());
    // A built setup executable as the stub would carry its old package as dead weight.
    if (std::any_of(stub.begin() + slot, stub.begin() + slot + 4, [](char c) { return c != 0; }))
        throw ToolError(options.stub.u8string() +
                        " already carries a package; give the setup program itself as the stub");
    summary.packageOffset = stub.size();
    if (summary.packageOffset > 0xFFFFFFFFu)
        throw ToolError("the stub is larger than the 32-bit package offset can reach");
    StoreLe32(reinterpret_cast<std::uint8_t*>(stub.data() + slot),
              static_cast<std::uint32_t>(summary.packageOffset));

    PartFile part(fs::path(options.output).concat(".part"));
    {
        ClFileHandle out = CreateForWriting(part.path());
        HANDLE file = out.get();
        const std::string name = options.output.u8string();
        const std::uint8_t zero[8] = {};
        if (!WriteFileAll(file, stub.data(), static_cast<std::uint32_t>(stub.size())) ||
            !WriteFileAll(file, zero, 8))
            throw ToolError("cannot write " + name);

        ProgressBar progress(plan.bytesIn, options.progress);
        std::map<fs::path, std::uint64_t> entryOfSource;  // files of one source share an entry
        std::uint64_t done = 0;
        for (const PlannedFile& planned : plan.files) {
            progress.Update(done, planned.destination);
            auto [known, added] = entryOfSource.emplace(planned.source, Position(file));
            if (added) {
                const std::uint64_t start = known->second;
                if (!WriteFileAll(file, zero, 8))
                    throw ToolError("cannot write " + name);
                ClFileHandle source = OpenForReading(planned.source);
                EncodeEntry(source.get(), file, planned.source);
                const std::uint64_t end = Position(file);
                WriteU64At(file, start, end - start - 8, end, options.output);
                ++summary.entries;
                summary.bytesIn += planned.size;
            }
            ClTreeNodeInfo* info = ClTreeNodeGetInfo(planned.node);
            FileRecordSetEntryOffset(info->data, info->length, known->second);
            done += planned.size;
        }
        progress.Finish();
        summary.files = plan.files.size();

        const std::uint64_t directory = Position(file);
        summary.bytesOut = directory - summary.packageOffset - 8;
        WriteU64At(file, summary.packageOffset, summary.bytesOut, directory, options.output);
        if (!ClTreeSave(file, plan.fileTree.get(), nullptr, CLT_NAMES | CLT_DATA) ||
            !SetupInfoSave(&plan.info, file) ||
            !ClTreeSave(file, plan.setupTree.get(), nullptr, CLT_NAMES | CLT_DATA))
            throw ToolError("cannot write the package directory to " + name);
        summary.outputSize = Position(file);
    }
    std::error_code error;
    fs::rename(part.path(), options.output, error);
    if (error)
        throw ToolError("cannot rename " + part.path().u8string() + " to " +
                        options.output.u8string() + ": " + error.message());
    part.Keep();
    return summary;
}
