// Scratch files of a fuzz target: made once per run in /tmp, unlinked at once so that nothing
// is left behind, kept open, and rewritten from the start for every input.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/file_io.h"
#include "base/platform.h"

inline HANDLE OpenScratchFile(const std::string& name) {
    std::string path = "/tmp/" + name + "_" + std::to_string(getpid());
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        std::abort();
    DeleteFileA(path.c_str());
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
