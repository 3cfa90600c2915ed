#include "package/decode/stage_input.h"

#include <cstring>

#include "base/file_io.h"

namespace {

bool InsideStage(std::uint64_t offset, std::uint64_t count, std::uint64_t length) {
    return offset <= length && count <= length - offset;
}

}  // namespace

int StageInput::ReadAt(std::uint64_t offset, std::uint8_t* into, std::uint32_t count) const {
    if (!InsideStage(offset, count, length))
        return 0;
    if (bytes != nullptr) {
        std::memcpy(into, bytes + offset, count);
        return 1;
    }
    return SetFilePosition(file, start + offset) && ReadFileAll(file, into, count);
}

int StageInput::OpenBits(BitReader* reader, std::uint64_t offset, std::uint64_t sectionLength,
                         CodecBuffer buffer) const {
    if (!InsideStage(offset, sectionLength, length))
        return 0;
    if (bytes != nullptr)
        return reader->OpenBytes(bytes + offset, sectionLength);
    return reader->Open(buffer.bytes, buffer.size, file, start + offset, sectionLength);
}

int SectionSource::Read(std::uint8_t* into, std::uint32_t count) {
    if (count > remaining_ || !input_.ReadAt(offset_, into, count))
        return 0;
    offset_ += count;
    remaining_ -= count;
    return 1;
}
