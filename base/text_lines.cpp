#include "base/text_lines.h"

#include <cstring>

#include "base/dbcs.h"
#include "base/file_io.h"

namespace {

// A line of up to kTextLineLimit bytes and its two-byte line end always lie inside one fill:
// a shorter tail than this is carried into the next fill instead of being cut.
constexpr std::uint32_t kCarryOver = kTextLineLimit + 2;

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// Finds the end of the line that starts at start within text[0, end): the index of its first
// CR or LF (or end), stepping over double-byte characters. next receives the start of the
// following line: behind the line end, and behind the other byte of a CR LF or LF CR pair.
std::uint32_t FindLineEnd(const char* text, std::uint32_t start, std::uint32_t end,
                          std::uint32_t* next) {
    std::uint32_t i = start;
    while (i < end && !IsLineEnd(text[i])) {
        i += (IsDBCSLeadByte(static_cast<BYTE>(text[i])) && i + 1 < end) ? 2 : 1;
    }
    std::uint32_t after = i;
    if (i < end) {
        after = i + 1;
        if (after < end && IsLineEnd(text[after]) && text[after] != text[i])
            ++after;
    }
    *next = after;
    return i;
}

// The reading loop shared by FindTextLine and ForEachTextLine. visit(line, filePosition)
// returns 1 to go on, 0 to stop with result 0, 2 to stop with result 1.
template <typename Visit>
int ScanTextLines(HANDLE file, char* buffer, std::uint32_t bufferSize, int resultAtEnd,
                  Visit visit) {
    std::uint64_t size = 0;
    if (!GetFileSize64(file, &size) || !SetFilePosition(file, 0))
        return 0;
    std::uint64_t bufferOffset = 0;  // file position of buffer[0]
    std::uint64_t remaining = size;  // bytes of the file not yet read
    std::uint32_t tail = 0;          // bytes carried over at the buffer's start
    while (tail > 0 || remaining > 0) {
        std::uint32_t room = bufferSize - tail;
        std::uint32_t chunk = remaining < room ? static_cast<std::uint32_t>(remaining) : room;
        if (chunk > 0 && !ReadFileAll(file, buffer + tail, chunk))
            return 0;
        remaining -= chunk;
        std::uint32_t filled = tail + chunk;
        buffer[filled] = '\0';
        bool exhausted = remaining == 0;

        std::uint32_t start = 0;
        while (start < filled && (exhausted || filled - start >= kCarryOver)) {
            std::uint32_t next = 0;
            std::uint32_t end = FindLineEnd(buffer, start, filled, &next);
            buffer[end] = '\0';
            int verdict = visit(buffer + start, bufferOffset + start);
            if (verdict != 1)
                return verdict == 2 ? 1 : 0;
            start = next;
        }
        if (exhausted)
            break;
        tail = filled - start;
        std::memmove(buffer, buffer + start, tail);
        bufferOffset += start;
    }
    return resultAtEnd;
}

}  // namespace

int FindTextLine(HANDLE file, char* buffer, std::uint32_t bufferSize, const char* line,
                 std::uint64_t* position) {
    if (std::strlen(line) >= kTextLineLimit || bufferSize <= kCarryOver)
        return 0;
    return ScanTextLines(file, buffer, bufferSize, 0, [&](const char* candidate, std::uint64_t at) {
        // Byte-wise _stricmp would fold trail bytes too and match the wrong path.
        if (!EqualNoCase(candidate, line))
            return 1;
        if (position)
            *position = at;
        return 2;
    });
}

int ForEachTextLine(HANDLE file, char* buffer, std::uint32_t bufferSize, void* context,
                    TextLineCallback callback) {
    if (bufferSize <= kCarryOver)
        return 0;
    return ScanTextLines(file, buffer, bufferSize, 1, [&](const char* line, std::uint64_t) {
        return callback(line, context) ? 1 : 0;
    });
}

int AppendTextLine(HANDLE file, const char* line) {
    std::uint64_t size = 0;
    if (!GetFileSize64(file, &size) || !SetFilePosition(file, size))
        return 0;
    std::uint32_t length = static_cast<std::uint32_t>(std::strlen(line));
    if (length >= kTextLineLimit)
        return 0;
    char record[kTextLineLimit + 2];
    std::memcpy(record, line, length);
    std::memcpy(record + length, "\r\n", 2);
    return WriteFileAll(file, record, length + 2);
}

int DeleteTextLine(HANDLE file, char* buffer, std::uint32_t bufferSize, std::uint64_t position) {
    std::uint64_t size = 0;
    if (!GetFileSize64(file, &size) || !SetFilePosition(file, position))
        return 0;
    if (position >= size)
        return 1;
    std::uint64_t rest = size - position;
    std::uint32_t chunk = rest < bufferSize ? static_cast<std::uint32_t>(rest) : bufferSize;
    if (chunk == 0 || !ReadFileAll(file, buffer, chunk))
        return 0;
    std::uint32_t next = 0;
    FindLineEnd(buffer, 0, chunk, &next);
    std::uint64_t readAt = position + next;
    std::uint64_t writeAt = position;
    while (readAt < size) {
        std::uint64_t left = size - readAt;
        std::uint32_t piece = left < bufferSize ? static_cast<std::uint32_t>(left) : bufferSize;
        if (!SetFilePosition(file, readAt) || !ReadFileAll(file, buffer, piece))
            return 0;
        if (!SetFilePosition(file, writeAt) || !WriteFileAll(file, buffer, piece))
            return 0;
        readAt += piece;
        writeAt += piece;
    }
    if (!SetFilePosition(file, writeAt))
        return 0;
    return SetEndOfFile(file) ? 1 : 0;
}
