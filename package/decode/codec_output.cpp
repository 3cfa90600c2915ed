#include "package/decode/codec_output.h"

#include <cstring>

int CodecOutput::Flush() {
    if (fill == 0)
        return 1;
    int ok = FileStreamWrite(destination, buffer, fill, nullptr);
    fill = 0;
    flushed = true;
    return ok;
}

int CodecOutput::WriteInPieces(const std::uint8_t* bytes, std::uint64_t count) {
    while (count > 0) {
        if (fill + count >= size && !Flush())
            return 0;
        std::uint32_t piece = count < size - fill ? static_cast<std::uint32_t>(count) : size - fill;
        std::memcpy(buffer + fill, bytes, piece);
        fill += piece;
        bytes += piece;
        count -= piece;
    }
    return 1;
}

int CodecOutput::Repeat(std::uint8_t value, std::uint64_t count) {
    while (count > 0) {
        if (fill == size && !Flush())
            return 0;
        std::uint32_t piece = count < size - fill ? static_cast<std::uint32_t>(count) : size - fill;
        std::memset(buffer + fill, value, piece);
        fill += piece;
        count -= piece;
    }
    return 1;
}

int CodecOutput::CopyFrom(LiteralWindow* literals, std::uint64_t count) {
    while (count > 0) {
        std::uint32_t available = literals->Available();
        std::uint32_t piece = count < available ? static_cast<std::uint32_t>(count) : available;
        if (piece == 0 || !Write(literals->Take(piece), piece))
            return 0;
        count -= piece;
    }
    return 1;
}

int CodecOutput::Take(ByteSource* source, std::uint64_t count) {
    while (count > 0) {
        if (fill == size && !Flush())
            return 0;
        std::uint32_t piece = count < size - fill ? static_cast<std::uint32_t>(count) : size - fill;
        if (!source->Read(buffer + fill, piece))
            return 0;
        fill += piece;
        count -= piece;
    }
    return 1;
}

int CodecOutput::Finish() {
    if (intermediate && !flushed) {
        held = true;
        return 1;
    }
    return Flush() && (intermediate || FileStreamTruncate(destination));
}

int CodecOutput::Result(HANDLE file, StageInput* result) const {
    if (held) {
        *result = StageInput::InMemory(buffer, fill);
        return 1;
    }
    *result = StageInput::InFile(file, 0, 0);
    return FileStreamTell(destination, &result->length);
}
