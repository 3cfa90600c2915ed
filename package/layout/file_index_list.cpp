#include "package/layout/file_index_list.h"

#include "base/little_endian.h"
#include "base/varint.h"

namespace {

constexpr int kLongestCount = 5;  // a 32-bit count takes at most five varint bytes

int Stop(SFileIndexListReader* reader, int malformed) {
    reader->at = reader->end;
    reader->pending = 0;
    reader->malformed = static_cast<std::uint8_t>(reader->malformed | malformed);
    return 0;
}

int TakeU32(SFileIndexListReader* reader, std::uint32_t* value) {
    if (reader->end - reader->at < 4)
        return 0;
    *value = LoadLe32(reader->at);
    reader->at += 4;
    return 1;
}

// The count of opcode 02: a varint that must end inside the block.
int TakeCount(SFileIndexListReader* reader, std::uint32_t* count) {
    const std::uint8_t* last = reader->at;
    while (last < reader->end && (*last & 0x80))
        ++last;
    if (last == reader->end || last - reader->at >= kLongestCount)
        return 0;
    reader->at += DecodeVarint(reader->at, count);
    return 1;
}

// Writes, or with a null out only counts, the bytes of a list.
struct ListSink {
    std::uint8_t* out;
    std::uint32_t size;

    void Byte(std::uint8_t value) {
        if (out)
            out[size] = value;
        ++size;
    }
    void U32(std::uint32_t value) {
        if (out)
            StoreLe32(out + size, value);
        size += 4;
    }
    void Count(std::uint32_t count) {
        std::uint8_t bytes[kLongestCount];
        const int length = EncodeVarint(count, bytes);
        for (int i = 0; i < length; ++i)
            Byte(bytes[i]);
    }
    void Singles(const std::uint32_t* indexes, std::uint32_t count) {
        if (count == 0)
            return;
        if (count == 1) {
            Byte(FILE_LIST_ONE);
        } else {
            Byte(FILE_LIST_SOME);
            Count(count);
        }
        for (std::uint32_t i = 0; i < count; ++i)
            U32(indexes[i]);
    }
};

}  // namespace

void FileIndexListBegin(SFileIndexListReader* reader, const std::uint8_t* data,
                        std::uint32_t length) {
    reader->at = data;
    reader->end = data ? data + length : data;
    reader->pending = 0;
    reader->malformed = 0;
}

int FileIndexListNext(SFileIndexListReader* reader, SFileIndexRange* range) {
    for (;;) {
        if (reader->pending > 0) {
            --reader->pending;
            if (!TakeU32(reader, &range->first))
                return Stop(reader, 1);
            range->last = range->first;
            return 1;
        }
        if (reader->at >= reader->end)
            return Stop(reader, 1);  // no end opcode
        switch (*reader->at++) {
            case FILE_LIST_END:
                return Stop(reader, 0);
            case FILE_LIST_ONE:
                reader->pending = 1;
                break;
            case FILE_LIST_SOME:
                if (!TakeCount(reader, &reader->pending))
                    return Stop(reader, 1);
                break;
            case FILE_LIST_RANGE:
                if (!TakeU32(reader, &range->first) || !TakeU32(reader, &range->last))
                    return Stop(reader, 1);
                if (range->first <= range->last)
                    return 1;
                break;
            default:
                return Stop(reader, 1);
        }
    }
}

std::uint32_t FileIndexListWrite(const std::uint32_t* indexes, std::uint32_t count,
                                 std::uint8_t* out) {
    ListSink sink{out, 0};
    std::uint32_t singles = 0;  // the first index not yet written
    for (std::uint32_t i = 0; i < count;) {
        std::uint32_t run = i + 1;
        while (run < count && indexes[run] == indexes[run - 1] + 1)
            ++run;
        if (run - i >= 3) {  // a range (9 bytes) beats three or more singles
            sink.Singles(indexes + singles, i - singles);
            sink.Byte(FILE_LIST_RANGE);
            sink.U32(indexes[i]);
            sink.U32(indexes[run - 1]);
            singles = run;
        }
        i = run;
    }
    sink.Singles(indexes + singles, count - singles);
    sink.Byte(FILE_LIST_END);
    return sink.size;
}
