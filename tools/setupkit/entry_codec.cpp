#include "tools/setupkit/entry_codec.h"

#include "base/file_io.h"
#include "package/entry_encoder.h"
#include "package/package_layout.h"
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
        return -1;
    if (!FileStreamSeek(destination, 0) || !codec_.ExpandEntry(program, destination, stored))
        return -1;
    std::uint64_t size = 0;
    FileStreamTell(destination, &size);
    return static_cast<std::int64_t>(size);
}

void EncodeEntry(HANDLE source, HANDLE output, const std::filesystem::path& sourceName) {
    // The entry format keeps whole-stage section lengths in its headers, so the encoder
    // works on the whole file in memory; one file at a time is held.
    const std::string name = sourceName.u8string();
    std::uint64_t size = 0;
    if (!GetFileSize64(source, &size))
        throw ToolError("cannot read the size of " + name);
    if (size > kLargestEntryInput)
        throw ToolError(name + " is larger than a package entry can hold (4 GiB)");
    ByteVector data(static_cast<std::size_t>(size));
    ByteVector entry;
    if (size && !ReadFileAll(source, data.data(), static_cast<std::uint32_t>(size)))
        throw ToolError("cannot read " + name);
    if (!::EncodeEntry(data.data(), data.size(), EntryChain::kSmaller, &entry))
        throw ToolError("cannot encode " + name + " (out of memory?)");
    if (!WriteFileAll(output, entry.data(), static_cast<std::uint32_t>(entry.size())))
        throw ToolError("cannot write the entry of " + name);
}
