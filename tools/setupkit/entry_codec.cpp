#include "tools/setupkit/entry_codec.h"

#include "base/file_io.h"
#include "package/encode/entry_encoder.h"
#include "package/layout/package_layout.h"
#include "tools/setupkit/diagnostics.h"

EntryDecoder::EntryDecoder() {
    if (!codec_.Initialize())
        throw ToolError("the decoder cannot get its buffers and temporary files");
}

std::int64_t EntryDecoder::Expand(HANDLE program, std::uint64_t entryOffset, std::uint64_t areaEnd,
                                  SFileStream* destination) {
    std::uint64_t stored = 0;
    if (entryOffset > areaEnd || areaEnd - entryOffset < 8 ||
        !PackageOpenEntry(program, entryOffset, &stored, nullptr) || stored == 0 ||
        stored > areaEnd - entryOffset - 8)
        return kEntryDoesNotDecode;
    // A malformed entry fails no system call; a read or a write that fails sets the last error.
    SetLastError(NO_ERROR);
    if (!FileStreamSeek(destination, 0) || !codec_.ExpandEntry(program, destination, stored))
        return GetLastError() != NO_ERROR ? kEntryReadOrWriteFailed : kEntryDoesNotDecode;
    std::uint64_t size = 0;
    if (!FileStreamTell(destination, &size))
        return kEntryReadOrWriteFailed;
    return static_cast<std::int64_t>(size);
}

void EncodeEntry(HANDLE source, HANDLE output, const std::filesystem::path& sourceName) {
    // The entry format keeps whole-stage section lengths in its headers, so the encoder
    // holds one file at a time in memory.
    const std::string name = sourceName.u8string();
    std::uint64_t size = 0;
    if (!GetFileSize64(source, &size))
        throw ToolError("cannot read the size of " + name);
    if (size > kLargestEntryInput)
        throw ToolError(name + " is larger than a package entry can hold (4 GiB)");
    if (!EncodeEntryHandles(source, output, EntryChain::kSmaller, nullptr))
        throw ToolError("cannot encode " + name +
                        " into the package (reading, writing or "
                        "memory failed)");
}
