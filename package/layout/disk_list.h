// CMakeDiskList: the named disks of an install run and, per disk, one flag byte per file index.
// Three parallel arrays (names, flag arrays, flag-array sizes), a count and a capacity; the
// list owns its strings and flag arrays. Names compare ignoring ASCII case.
#pragma once

#include <cstdint>

class CMakeDiskList {
  public:
    CMakeDiskList() = default;
    ~CMakeDiskList() { Clear(); }
    CMakeDiskList(const CMakeDiskList&) = delete;
    CMakeDiskList& operator=(const CMakeDiskList&) = delete;

    // Appends a copy of name unless it is present already. 1, or 0 when memory runs out.
    int Add(const char* name);
    // The index of name, or -1.
    int Find(const char* name) const;
    // Orders the disks by name, ignoring ASCII case; the three arrays move together.
    void Sort();
    // A zeroed flag array of size bytes for disk index (replacing an earlier one). 1, or 0 for an
    // index not below the count or when memory runs out.
    int AllocateFlags(int index, std::uint32_t size);
    // Frees every string, flag array and the arrays; count and capacity become 0.
    void Clear();

    char** names = nullptr;
    std::uint8_t** flags = nullptr;
    std::uint32_t* flagSizes = nullptr;
    std::uint32_t count = 0;
    std::uint32_t capacity = 0;

  private:
    int Grow();
};
