// ClMem: a growable heap byte block with a capacity, a fill count and a mark.
#pragma once

#include <cstdint>

class ClMem {
  public:
    ClMem() = default;
    virtual ~ClMem();
    ClMem(const ClMem&) = delete;
    ClMem& operator=(const ClMem&) = delete;

    // Frees the old block (if owned) and allocates size bytes; capacity = size, used = mark = 0.
    // 1, or 0 with no block and all counts 0.
    int Alloc(std::int32_t size);
    // Ensures a capacity of at least size, keeping the used bytes. A failure keeps the old
    // block and content. The new space is not initialised.
    int Reserve(std::int32_t size);
    // Frees the block (if owned); no block, counts 0, owned 1.
    void Free();

    std::int32_t owned = 1;
    std::uint8_t* block = nullptr;
    std::int32_t capacity = 0;
    std::int32_t used = 0;
    std::int32_t mark = 0;
};
