// EncodeTempFile: a section or intermediate stage that the encoder writes before it knows its
// length. Made by GetTempFileNameA in the folder of GetTempPathA and deleted on close, so that
// neither an encoding that fails halfway nor an interrupted one leaves a file behind.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "base/platform.h"

class EncodeTempFile {
  public:
    EncodeTempFile() = default;
    ~EncodeTempFile();
    EncodeTempFile(const EncodeTempFile&) = delete;
    EncodeTempFile& operator=(const EncodeTempFile&) = delete;
    EncodeTempFile(EncodeTempFile&& other) noexcept;
    EncodeTempFile& operator=(EncodeTempFile&& other) noexcept;

    // Creates an empty file open for reading and writing; 1, or 0 if that fails.
    int Create();
    HANDLE handle() const { return handle_; }
    // The file's length (what has been written to it); 0 if it cannot be queried.
    int Size(std::uint64_t* size) const;
    // Copies the whole file to the output's current position; 0 if a read or write fails.
    int CopyTo(HANDLE output) const;

  private:
    void Remove();

    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// Writes the u32 little-endian lengths of the sections and then the sections themselves, at
// the output's current position. 0 if a section is 4 GiB or longer or a read or write fails.
int WriteSections(HANDLE output, std::initializer_list<const EncodeTempFile*> sections);
