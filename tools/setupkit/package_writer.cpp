#include "tools/setupkit/package_writer.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>

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

// The stub, whole. Only a file can be one, and only one that the 32-bit package offset can
// lie behind.
std::vector<char> ReadStub(const fs::path& stub) {
    const std::string name = "the stub " + stub.u8string();
    std::error_code error;
    if (!fs::is_regular_file(stub, error))
        throw ToolError(name + (fs::exists(stub, error) ? " is not a file" : " does not exist") +
                        " (give the setup.exe of the Windows build with --stub)");
    ClFileHandle file = OpenForReading(stub);
    std::uint64_t size = 0;
    if (!GetFileSize64(file.get(), &size))
        throw ToolError("cannot read the size of " + name);
    if (size > 0xFFFFFFFFu)
        throw ToolError(name + " is larger than the 32-bit package offset can reach");
    std::vector<char> image(static_cast<std::size_t>(size));
    if (!ReadFileAll(file.get(), image.data(), static_cast<std::uint32_t>(size)))
        throw ToolError("cannot read " + name);
    return image;
}

void WriteU64At(HANDLE file, std::uint64_t position, std::uint64_t value, std::uint64_t back,
                const fs::path& name) {
    std::uint8_t bytes[8];
    StoreLe64(bytes, value);
    if (!SetFilePosition(file, position) || !WriteFileAll(file, bytes, 8) ||
        !SetFilePosition(file, back))
        throw ToolError("cannot write " + name.u8string());
}

// Where the next byte of the output goes; a position that cannot be told would put wrong
// offsets into the package.
std::uint64_t Position(HANDLE file, const fs::path& name) {
    std::uint64_t position = 0;
    if (!GetFilePosition(file, &position))
        throw ToolError("cannot tell the write position in " + name.u8string());
    return position;
}

// The output while it is written: a new file with a name of its own beside the output, so that
// two builds to one output never write into one file. Deleted unless the build gets to the end,
// also when the build is interrupted; Commit puts it in the output's place in one step.
class PartFile {
  public:
    explicit PartFile(fs::path output) : output_(std::move(output)) {
        std::random_device random;
        for (int attempt = 0; attempt < 16 && !file_.ok(); ++attempt) {
            char suffix[24];
            std::snprintf(suffix, sizeof suffix, ".%08x.part", static_cast<unsigned>(random()));
            path_ = fs::path(output_).concat(suffix);
            file_ = CreateNewFile(path_);
        }
        if (!file_.ok())
            throw ToolError("cannot create a file beside " + output_.u8string());
        DeleteOnInterrupt(AnsiPath(path_));
    }
    ~PartFile() {
        if (committed_)
            return;
        DeleteOnInterrupt("");
        file_.Close();
        std::error_code ignored;
        fs::remove(path_, ignored);
    }
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

    HANDLE handle() const { return file_.get(); }

    void Commit() {
        file_.Close();
        const std::string problem = MoveIntoPlace(path_, output_);
        if (!problem.empty())
            throw ToolError("cannot rename " + path_.u8string() + " to " + output_.u8string() +
                            ": " + problem);
        DeleteOnInterrupt("");
        committed_ = true;
    }

  private:
    fs::path output_;
    fs::path path_;
    ClFileHandle file_;
    bool committed_ = false;
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
    StoreLe32(reinterpret_cast<std::uint8_t*>(stub.data() + slot),
              static_cast<std::uint32_t>(summary.packageOffset));

    PartFile part(options.output);
    {
        HANDLE file = part.handle();
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
            auto [known, added] =
                entryOfSource.emplace(planned.source, Position(file, options.output));
            if (added) {
                const std::uint64_t start = known->second;
                if (!WriteFileAll(file, zero, 8))
                    throw ToolError("cannot write " + name);
                ClFileHandle source = OpenForReading(planned.source);
                EncodeEntry(source.get(), file, planned.source);
                const std::uint64_t end = Position(file, options.output);
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

        const std::uint64_t directory = Position(file, options.output);
        summary.bytesOut = directory - summary.packageOffset - 8;
        WriteU64At(file, summary.packageOffset, summary.bytesOut, directory, options.output);
        if (!ClTreeSave(file, plan.fileTree.get(), nullptr, CLT_NAMES | CLT_DATA) ||
            !SetupInfoSave(&plan.info, file) ||
            !ClTreeSave(file, plan.setupTree.get(), nullptr, CLT_NAMES | CLT_DATA))
            throw ToolError("cannot write the package directory to " + name);
        summary.outputSize = Position(file, options.output);
    }
    part.Commit();
    return summary;
}
