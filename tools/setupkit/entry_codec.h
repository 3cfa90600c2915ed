// Package entries as setupkit makes and reads them: one source file encoded into one entry
// (the codec chooses the better chain), and entries expanded again through the setup
// program's own decoder, so that verify and extract see exactly what an install would.
#pragma once

#include <cstdint>
#include <filesystem>

#include "base/file_stream.h"
#include "base/platform.h"
#include "package/decode/compress.h"

// Sections of an entry have 32-bit lengths: no larger input fits.
constexpr std::uint64_t kLargestEntryInput = 0xFFFFFFF0u;

// Encodes the whole source file at the output's current position (selector byte and stage
// data, no length field), leaving the output at the entry's end. Throws ToolError naming the
// source on failure.
void EncodeEntry(HANDLE source, HANDLE output, const std::filesystem::path& sourceName);

// Results of EntryDecoder::Expand other than a size.
constexpr std::int64_t kEntryDoesNotDecode = -1;
constexpr std::int64_t kEntryReadOrWriteFailed = -2;

class EntryDecoder {
  public:
    EntryDecoder();  // throws ToolError when the decoder cannot get its buffers or temp files
    EntryDecoder(const EntryDecoder&) = delete;
    EntryDecoder& operator=(const EntryDecoder&) = delete;

    // Expands the entry whose length field lies at entryOffset of the program file into the
    // destination (from its start). The decoded size; kEntryDoesNotDecode when the entry is
    // malformed or does not end by areaEnd (the end of the entry area);
    // kEntryReadOrWriteFailed, with the platform's last error set, when reading the program or
    // writing the destination or the decoder's temporary files failed (a full disk).
    std::int64_t Expand(HANDLE program, std::uint64_t entryOffset, std::uint64_t areaEnd,
                        SFileStream* destination);

  private:
    SCompress codec_;
};
