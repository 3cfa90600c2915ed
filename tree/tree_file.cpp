// Tree image layout (numbers little-endian):
//
//   offset  size  field
//   0       4     "CLT1" (43 4C 54 31), only when written with CLT_MAGIC; the image does not
//                 say whether it is there, so the reader is told
//   m       1     image flags = the writer's options: CLT_MAGIC 01, CLT_NAMES 02, CLT_DATA 04
//   m+1     8     body length: u64 count of the bytes behind this field, end byte included
//   m+9     ...   one record per node, in walk order from the first node:
//                   1  node flags as in memory (TN_*); bit 0x80 is never set
//                   1  depth below the first node (the first node and its siblings: 0)
//                   v  name length, varint     } only with CLT_NAMES; no terminator
//                   n  name bytes              }
//                   v  data length, varint     } only with CLT_DATA; the spare tail is
//                   n  data bytes              } never written
//   last    1     end byte 0x80
//   (m = 4 with the magic, else 0)
//
// Example: a fresh tree (unnamed root only) saved with CLT_NAMES | CLT_DATA is
//   06 | 05 00 00 00 00 00 00 00 | 09 00 00 00 | 80
#include "tree/tree_file.h"

#include <cstring>

#include "base/file_io.h"
#include "base/little_endian.h"
#include "base/mem.h"
#include "base/varint.h"
#include "tree/tree_links.h"

namespace {

constexpr std::uint8_t kMagic[4] = {'C', 'L', 'T', '1'};
constexpr std::uint8_t kEndByte = 0x80;
constexpr std::int32_t kWorkBufferSize = MAX_PATH;
// A 32-bit varint takes at most 5 bytes.
constexpr std::uint32_t kMaxVarintBytes = 5;

// Writes one node's record into the record buffer.
int BuildRecord(ClMem* record, const ClTreeNode* node, std::int32_t depth, std::uint8_t options) {
    const char* name = (node->flags & TN_NAMED) ? node->name : nullptr;
    std::uint64_t nameLength = name ? std::strlen(name) : 0;
    std::uint32_t dataLength = (node->flags & TN_DATA) ? node->length : 0;
    std::uint64_t size = 2 + 2 * kMaxVarintBytes + nameLength + dataLength;
    if (nameLength > UINT32_MAX || size > INT32_MAX ||
        !record->Reserve(static_cast<std::int32_t>(size)))
        return 0;
    std::uint8_t* out = record->block;
    *out++ = node->flags;
    *out++ = static_cast<std::uint8_t>(depth);
    if (options & CLT_NAMES) {
        out += EncodeVarint(static_cast<std::uint32_t>(nameLength), out);
        if (nameLength)
            std::memcpy(out, name, static_cast<std::size_t>(nameLength));
        out += nameLength;
    }
    if (options & CLT_DATA) {
        out += EncodeVarint(dataLength, out);
        if (dataLength)
            std::memcpy(out, node->data, dataLength);
        out += dataLength;
    }
    record->used = static_cast<std::int32_t>(out - record->block);
    return 1;
}

// The body being read: every byte is charged against the budget (the body length), and no
// record may run past it. fileLeft bounds the blocks that a damaged length could ask memory for.
struct ImageReader {
    HANDLE file;
    std::int64_t budget;
    std::uint64_t fileLeft;

    void ChargeFile(std::uint64_t count) { fileLeft = fileLeft > count ? fileLeft - count : 0; }

    int ReadByte(std::uint8_t* byte) {
        if (budget < 1 || !ReadFileAll(file, byte, 1))
            return 0;
        --budget;
        ChargeFile(1);
        return 1;
    }

    int ReadLength(std::uint32_t* length) {
        std::int64_t before = budget;
        if (!ReadVarint(file, length, &budget))
            return 0;
        ChargeFile(static_cast<std::uint64_t>(before - budget));
        return 1;
    }

    // Reads length bytes into the buffer, which grows to hold length + extra bytes.
    int ReadBlock(ClMem* buffer, std::uint32_t length, std::uint32_t extra) {
        std::uint64_t size = std::uint64_t{length} + extra;
        if (length > budget || length > fileLeft || size > INT32_MAX ||
            !buffer->Reserve(size > 0 ? static_cast<std::int32_t>(size) : 1))
            return 0;
        if (length && !ReadFileAll(file, buffer->block, length))
            return 0;
        budget -= length;
        ChargeFile(length);
        buffer->used = static_cast<std::int32_t>(size);
        return 1;
    }
};

// Bytes between the file's position and its end; as good as unlimited when the size is unknown.
std::uint64_t BytesLeftInFile(HANDLE file) {
    std::uint64_t position = 0;
    std::uint64_t size = 0;
    if (!GetFilePosition(file, &position) || !GetFileSize64(file, &size))
        return UINT64_MAX;
    return size > position ? size - position : 0;
}

}  // namespace

int ClTreeSave(HANDLE file, ClTree* tree, ClTreeNode* start, std::uint8_t options) {
    if (tree == nullptr)
        return 0;
    if ((options & CLT_MAGIC) && !WriteFileAll(file, kMagic, sizeof kMagic))
        return 0;
    std::uint8_t head[9] = {options};
    std::uint64_t lengthAt = 0;
    if (!WriteFileAll(file, head, 1) || !GetFilePosition(file, &lengthAt) ||
        !WriteFileAll(file, head + 1, 8))
        return 0;
    std::uint64_t bodyLength = 0;
    ClMem record;
    std::int32_t depth = 0;
    for (ClTreeNode* node = start ? start : tree->root; node;) {
        if (!BuildRecord(&record, node, depth, options) ||
            !WriteFileAll(file, record.block, static_cast<std::uint32_t>(record.used)))
            return 0;
        bodyLength += static_cast<std::uint64_t>(record.used);
        node = ClTreeNavigate(node, TN_WALK, &depth);
        // A subtree ends where the walk climbs back to the start node's level.
        if (start ? depth <= 0 : depth < 0)
            break;
    }
    if (!WriteFileAll(file, &kEndByte, 1))
        return 0;
    ++bodyLength;
    std::uint64_t endAt = 0;
    StoreLe64(head + 1, bodyLength);
    if (!GetFilePosition(file, &endAt) || !SetFilePosition(file, lengthAt) ||
        !WriteFileAll(file, head + 1, 8) || !SetFilePosition(file, endAt))
        return 0;
    return 1;
}

int ClTreeLoad(HANDLE file, ClTree* tree, ClTreeNode* parent, std::uint8_t options,
               std::uint32_t spare) {
    if (tree == nullptr)
        return 0;
    if (options & CLT_MAGIC) {
        std::uint8_t magic[4];
        if (!ReadFileAll(file, magic, sizeof magic) || std::memcmp(magic, kMagic, 4) != 0)
            return 0;
    }
    std::uint8_t head[9];
    if (!ReadFileAll(file, head, sizeof head))
        return 0;
    const bool hasNames = (head[0] & CLT_NAMES) != 0;
    const bool hasData = (head[0] & CLT_DATA) != 0;
    const std::uint32_t extra = (options & CLT_LOAD_SPARE) ? spare : 0;
    ImageReader reader{file, static_cast<std::int64_t>(LoadLe64(head + 1)), BytesLeftInFile(file)};
    ClMem name;
    ClMem data;
    if (!name.Alloc(kWorkBufferSize) || !data.Alloc(kWorkBufferSize))
        return 0;

    ClTreeNode* current = parent;
    std::uint32_t level = 0;  // keys opened below the starting parent
    bool first = true;
    // The node added last at each level, per list (values, keys): an image lists siblings in
    // their sorted order, so each new node's place is found right behind it.
    ClTreeNode* lastAdded[kTreeMaxDepth + 2][2] = {};
    while (reader.budget > 0) {
        std::uint8_t nodeFlags = 0;
        std::uint8_t depth = 0;
        if (!reader.ReadByte(&nodeFlags))
            return 0;
        if (nodeFlags & kEndByte)
            return 1;
        if (!reader.ReadByte(&depth))
            return 0;
        ClTreeNodeInfo info{};
        info.flags = TN_LINKED | (nodeFlags & TN_KEY);
        if (hasNames) {
            std::uint32_t length = 0;
            if (!reader.ReadLength(&length) || !reader.ReadBlock(&name, length, 1))
                return 0;
            name.block[length] = '\0';
            if (nodeFlags & TN_NAMED) {
                info.flags |= TN_NAMED;
                info.name = reinterpret_cast<const char*>(name.block);
            }
        }
        if (hasData) {
            std::uint32_t length = 0;
            if (!reader.ReadLength(&length))
                return 0;
            std::uint32_t added = length > 0 ? extra : 0;
            if (!reader.ReadBlock(&data, length, added))
                return 0;
            std::memset(data.block + length, 0, added);
            if (nodeFlags & TN_DATA) {
                info.flags |= TN_DATA;
                info.length = length + added;
                info.data = info.length ? data.block : nullptr;
                if (options & CLT_LOAD_SPARE) {
                    info.flags |= TN_SPARE;
                    info.spare = spare;
                }
            }
        }
        // A writer's depth never rises by more than one level from a key; a jump means a
        // damaged image, whose records would otherwise land under the wrong keys.
        if (depth > level)
            return 0;
        for (; level > depth; --level)
            current = current->parent;
        info.parent = current;
        ClTreeNode*& hint = lastAdded[level][(info.flags & TN_KEY) ? 1 : 0];
        ClTreeNode* node = (first && (options & CLT_LOAD_REPLACE_ROOT))
                               ? ClTreeReplaceRoot(tree, &info)
                               : ClTreeAddNodeFrom(tree, &info, hint);
        if (node == nullptr)
            return 0;
        first = false;
        hint = node;
        if (node->flags & TN_KEY) {
            current = node;
            ++level;
            lastAdded[level][0] = lastAdded[level][1] = nullptr;
        }
    }
    return 1;
}
