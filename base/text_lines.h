// Line-oriented text files in the ANSI code page: find, iterate, append and delete lines.
// A line ends at CR LF, LF CR, a lone CR or a lone LF; lines written here end with CR LF.
// The working buffer is the caller's and must hold bufferSize + 1 bytes: a terminating zero
// is stored behind the filled part.
#pragma once

#include <cstdint>

#include "base/platform.h"

// Lines of up to this many bytes are never cut by a buffer fill.
constexpr std::uint32_t kTextLineLimit = 260;
// The buffer that ForEachTextLine is used with.
constexpr std::uint32_t kTextLineBufferSize = 0x100000;

using TextLineCallback = int (*)(const char* line, void* context);

// 1 if the file has a line equal to line ignoring ASCII case; its first byte's position is
// stored in position (when not null). 0 if absent, on error, or for a line of 260+ bytes.
int FindTextLine(HANDLE file, char* buffer, std::uint32_t bufferSize, const char* line,
                 std::uint64_t* position);
// Calls callback for every line in file order, empty lines included. 1 at the end of the file;
// 0 on a read error or when the callback returns 0.
int ForEachTextLine(HANDLE file, char* buffer, std::uint32_t bufferSize, void* context,
                    TextLineCallback callback);
// Writes line and CR LF at the end of the file; 0 for a line of 260+ bytes or on error.
int AppendTextLine(HANDLE file, const char* line);
// Removes the line that begins at position, with its line end; the file becomes shorter.
int DeleteTextLine(HANDLE file, char* buffer, std::uint32_t bufferSize, std::uint64_t position);
