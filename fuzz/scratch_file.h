// Scratch files of a fuzz target: made once per run, kept open, rewritten from the start for
// every input, and gone with the process.
#pragma once

#include <cstdint>
#include <cstdlib>

#include "base/file_io.h"
#include "base/platform.h"
#include "base/temp_file.h"

inline ClTempFile OpenScratchFile() {
    ClTempFile file;
    if (!file.Create())
        std::abort();
    return file;
}

// Empties the file and leaves it at its start.
inline void ClearScratchFile(HANDLE file) {
    if (!SetFilePosition(file, 0) || !SetEndOfFile(file))
        std::abort();
}

// Replaces the file's content with the bytes and moves back to its start.
inline void FillScratchFile(HANDLE file, const void* bytes, std::size_t size) {
    ClearScratchFile(file);
    if (!WriteFileAll(file, bytes, static_cast<std::uint32_t>(size)) || !SetFilePosition(file, 0))
        std::abort();
}
