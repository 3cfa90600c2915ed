#include "setupinfo/setup_info.h"

#include <cstdlib>
#include <cstring>

#include "base/dbcs.h"
#include "base/file_io.h"
#include "base/heap_string.h"
#include "base/little_endian.h"

// The record on disk, little-endian, field by field without padding:
//
//   offset  size  field
//   0       1     version, always 1
//   1       4     page bits
//   5       4     option bits
//   9       1     install-folder macro id
//   10      1     registry-root macro id
//   11      2     extra number
//   13      2     text count T (written as 22; further texts are skipped on reading)
//   15            T times: u16 length n, n bytes without terminator (a null text has n = 0)
//   ..      2     list count L
//   ..            L times: u32 length n, n bytes without terminator (a null entry has n = 0)

namespace {

constexpr std::uint8_t kRecordVersion = 1;
constexpr std::size_t kMaxTextLength = 0xFFFF;

// Reads the record's fields, never asking for more bytes than the file still holds, so that a
// damaged length cannot make the loader allocate a block for data that is not there.
class RecordReader {
  public:
    explicit RecordReader(HANDLE file) : file_(file) {
        std::uint64_t size = 0;
        if (GetFileSize64(file, &size) && GetFilePosition(file, &position_) && position_ <= size)
            remaining_ = size - position_;
    }

    int Bytes(void* out, std::uint32_t count) {
        if (count > remaining_ || !ReadFileAll(file_, out, count))
            return 0;
        Advance(count);
        return 1;
    }
    int U8(std::uint8_t* value) { return Bytes(value, 1); }
    int U16(std::uint16_t* value) {
        std::uint8_t bytes[2];
        if (!Bytes(bytes, sizeof bytes))
            return 0;
        *value = LoadLe16(bytes);
        return 1;
    }
    int U32(std::uint32_t* value) {
        std::uint8_t bytes[4];
        if (!Bytes(bytes, sizeof bytes))
            return 0;
        *value = LoadLe32(bytes);
        return 1;
    }
    // A new heap string of the next length bytes and a terminator; null on failure.
    char* String(std::uint32_t length) {
        if (length > remaining_)
            return nullptr;
        auto* text = static_cast<char*>(std::malloc(static_cast<std::size_t>(length) + 1));
        if (text == nullptr)
            return nullptr;
        if (!Bytes(text, length)) {
            std::free(text);
            return nullptr;
        }
        text[length] = '\0';
        return text;
    }
    int Skip(std::uint32_t count) {
        if (count > remaining_ || !SetFilePosition(file_, position_ + count))
            return 0;
        Advance(count);
        return 1;
    }

  private:
    void Advance(std::uint32_t count) {
        position_ += count;
        remaining_ -= count;
    }

    HANDLE file_;
    std::uint64_t position_ = 0;
    std::uint64_t remaining_ = 0;
};

int WriteU16(HANDLE file, std::uint16_t value) {
    const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(value),
                                   static_cast<std::uint8_t>(value >> 8)};
    return WriteFileAll(file, bytes, sizeof bytes);
}

int WriteU32(HANDLE file, std::uint32_t value) {
    const std::uint8_t bytes[4] = {
        static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
        static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
    return WriteFileAll(file, bytes, sizeof bytes);
}

// Writes a text's bytes; a null or empty text has none, and WriteFile is not asked for them.
int WriteText(HANDLE file, const char* text, std::uint32_t length) {
    return length == 0 || WriteFileAll(file, text, length);
}

std::size_t LengthOf(const char* text) {
    return text != nullptr ? std::strlen(text) : 0;
}

int LoadTexts(SSetupInfo* info, RecordReader& in) {
    std::uint16_t count = 0;
    if (!in.U16(&count))
        return 0;
    for (int i = 0; i < count; ++i) {
        std::uint16_t length = 0;
        if (!in.U16(&length))
            return 0;
        if (i >= kSetupInfoTextCount) {
            if (!in.Skip(length))
                return 0;
            continue;
        }
        info->texts[i] = in.String(length);
        if (info->texts[i] == nullptr)
            return 0;
    }
    return 1;
}

int LoadList(SSetupInfo* info, RecordReader& in) {
    std::uint16_t count = 0;
    if (!in.U16(&count))
        return 0;
    if (count == 0)
        return 1;
    info->list = static_cast<char**>(std::calloc(count, sizeof(char*)));
    if (info->list == nullptr)
        return 0;
    info->listCount = count;
    for (int i = 0; i < count; ++i) {
        std::uint32_t length = 0;
        if (!in.U32(&length))
            return 0;
        info->list[i] = in.String(length);
        if (info->list[i] == nullptr)
            return 0;
    }
    return 1;
}

}  // namespace

SSetupInfo::~SSetupInfo() {
    SetupInfoFree(this);
}

void SetupInfoInit(SSetupInfo* info) {
    info->listCount = 0;
    info->list = nullptr;
    info->usedPathSlots = 0;
    info->pathSlotCapacity = 0;
    info->pathSlots = nullptr;
    for (char*& text : info->texts)
        text = nullptr;
}

void SetupInfoFree(SSetupInfo* info) {
    for (char* text : info->texts)
        std::free(text);
    for (int i = 0; i < info->listCount; ++i)
        std::free(info->list[i]);
    std::free(info->list);
    std::free(info->pathSlots);
    SetupInfoInit(info);
}

int SetupInfoLoad(SSetupInfo* info, HANDLE file) {
    SetupInfoFree(info);
    RecordReader in(file);
    std::uint8_t version = 0;
    if (!in.U8(&version) || version != kRecordVersion)
        return 0;
    if (!in.U32(&info->pageBits) || !in.U32(&info->optionBits) ||
        !in.U8(&info->installFolderMacro) || !in.U8(&info->registryRootMacro) ||
        !in.U16(&info->extraNumber))
        return 0;
    return LoadTexts(info, in) && LoadList(info, in);
}

int SetupInfoSave(const SSetupInfo* info, HANDLE file) {
    // A longer text would wrap its 16-bit length and make the rest of the record unreadable.
    for (const char* text : info->texts) {
        if (LengthOf(text) > kMaxTextLength)
            return 0;
    }
    const std::uint8_t head[] = {kRecordVersion,
                                 static_cast<std::uint8_t>(info->pageBits),
                                 static_cast<std::uint8_t>(info->pageBits >> 8),
                                 static_cast<std::uint8_t>(info->pageBits >> 16),
                                 static_cast<std::uint8_t>(info->pageBits >> 24),
                                 static_cast<std::uint8_t>(info->optionBits),
                                 static_cast<std::uint8_t>(info->optionBits >> 8),
                                 static_cast<std::uint8_t>(info->optionBits >> 16),
                                 static_cast<std::uint8_t>(info->optionBits >> 24),
                                 info->installFolderMacro,
                                 info->registryRootMacro,
                                 static_cast<std::uint8_t>(info->extraNumber),
                                 static_cast<std::uint8_t>(info->extraNumber >> 8),
                                 static_cast<std::uint8_t>(kSetupInfoTextCount),
                                 0};
    if (!WriteFileAll(file, head, sizeof head))
        return 0;
    for (const char* text : info->texts) {
        auto length = static_cast<std::uint16_t>(LengthOf(text));
        if (!WriteU16(file, length) || !WriteText(file, text, length))
            return 0;
    }
    if (!WriteU16(file, info->listCount))
        return 0;
    for (int i = 0; i < info->listCount; ++i) {
        auto length = static_cast<std::uint32_t>(LengthOf(info->list[i]));
        if (!WriteU32(file, length) || !WriteText(file, info->list[i], length))
            return 0;
    }
    return 1;
}

int SetupInfoTestFlag(const SSetupInfo* info, int bit) {
    return static_cast<int>(info->pageBits >> (bit & 31) & 1);
}

int SetupInfoTestOption(const SSetupInfo* info, int bit) {
    return static_cast<int>(info->optionBits >> (bit & 31) & 1);
}

namespace {

void SetBit(std::uint32_t* bits, int bit, int on) {
    std::uint32_t mask = 1u << (bit & 31);
    *bits = on ? *bits | mask : *bits & ~mask;
}

}  // namespace

void SetupInfoSetFlag(SSetupInfo* info, int bit, int on) {
    SetBit(&info->pageBits, bit, on);
}

void SetupInfoSetOption(SSetupInfo* info, int bit, int on) {
    SetBit(&info->optionBits, bit, on);
}

int SetupInfoSetText(SSetupInfo* info, int number, const char* text) {
    if (number < 0 || number >= kSetupInfoTextCount)
        return 0;
    char* copy = nullptr;
    if (text != nullptr) {
        copy = CopyToHeap(text);
        if (copy == nullptr)
            return 0;
    }
    std::free(info->texts[number]);
    info->texts[number] = copy;
    return 1;
}

int SetupInfoFindName(const SSetupInfo* info, const char* name) {
    if (name == nullptr || name[0] == '\0')
        return -1;
    for (int i = 0; i < info->listCount; ++i) {
        // Pairs compare whole: byte-wise _stricmp would take ア (83 41) for ヂ (83 61).
        if (info->list[i] != nullptr && EqualNoCase(info->list[i], name))
            return i;
    }
    return -1;
}

int SetupInfoAddPath(SSetupInfo* info, const char* path) {
    if (path == nullptr || std::strlen(path) >= kSetupInfoPathSlotSize)
        return 0;
    if (info->pathSlots == nullptr) {
        if (info->listCount == 0)
            return 0;
        info->pathSlots = static_cast<char*>(std::calloc(info->listCount, kSetupInfoPathSlotSize));
        if (info->pathSlots == nullptr)
            return 0;
        info->usedPathSlots = 0;
        info->pathSlotCapacity = info->listCount;
    }
    if (info->usedPathSlots >= info->pathSlotCapacity)
        return 0;
    std::strcpy(info->pathSlots + info->usedPathSlots * kSetupInfoPathSlotSize, path);
    ++info->usedPathSlots;
    return 1;
}
