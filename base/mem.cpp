#include "base/mem.h"

#include <cstdlib>
#include <cstring>

ClMem::~ClMem() {
    Free();
}

void ClMem::Free() {
    if (owned)
        std::free(block);
    block = nullptr;
    capacity = used = mark = 0;
    owned = 1;
}

int ClMem::Alloc(std::int32_t size) {
    Free();
    if (size < 0)
        return 0;
    // malloc(0) may return null; a block of one byte keeps "allocated" meaningful.
    block = static_cast<std::uint8_t*>(std::malloc(size > 0 ? static_cast<std::size_t>(size) : 1));
    if (block == nullptr)
        return 0;
    capacity = size;
    return 1;
}

int ClMem::Reserve(std::int32_t size) {
    if (block == nullptr)
        return Alloc(size);
    if (size < 1)
        return 0;
    if (capacity >= size)
        return 1;
    auto* grown = static_cast<std::uint8_t*>(std::malloc(static_cast<std::size_t>(size)));
    if (grown == nullptr)
        return 0;
    if (used > size)
        used = size;
    if (mark > used)
        mark = used;
    std::memcpy(grown, block, static_cast<std::size_t>(used));
    if (owned)
        std::free(block);
    block = grown;
    capacity = size;
    owned = 1;
    return 1;
}
