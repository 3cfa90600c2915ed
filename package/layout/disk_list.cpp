#include "package/layout/disk_list.h"

#include <cstdlib>
#include <cstring>
#include <utility>

#include "base/dbcs.h"
#include "base/platform.h"

namespace {

// Grows by room for ten more disks at a time.
constexpr std::uint32_t kGrowth = 11;

template <typename T>
T* ReallocZeroed(T* old, std::uint32_t oldCount, std::uint32_t newCount) {
    auto* grown = static_cast<T*>(std::calloc(newCount, sizeof(T)));
    if (grown == nullptr)
        return nullptr;
    if (old != nullptr)
        std::memcpy(grown, old, oldCount * sizeof(T));
    return grown;
}

}  // namespace

int CMakeDiskList::Grow() {
    std::uint32_t grownCapacity = count + kGrowth;
    char** grownNames = ReallocZeroed(names, count, grownCapacity);
    std::uint8_t** grownFlags = ReallocZeroed(flags, count, grownCapacity);
    std::uint32_t* grownSizes = ReallocZeroed(flagSizes, count, grownCapacity);
    if (!grownNames || !grownFlags || !grownSizes) {
        std::free(grownNames);
        std::free(grownFlags);
        std::free(grownSizes);
        return 0;
    }
    std::free(names);
    std::free(flags);
    std::free(flagSizes);
    names = grownNames;
    flags = grownFlags;
    flagSizes = grownSizes;
    capacity = grownCapacity;
    return 1;
}

int CMakeDiskList::Add(const char* name) {
    if (Find(name) >= 0)
        return 1;
    if (count + 1 >= capacity && !Grow())
        return 0;
    std::size_t length = std::strlen(name);
    auto* copy = static_cast<char*>(std::malloc(length + 1));
    if (copy == nullptr)
        return 0;
    std::memcpy(copy, name, length + 1);
    names[count++] = copy;
    return 1;
}

int CMakeDiskList::Find(const char* name) const {
    for (std::uint32_t i = 0; i < count; ++i) {
        if (EqualNoCase(names[i], name))
            return static_cast<int>(i);
    }
    return -1;
}

void CMakeDiskList::Sort() {
    for (std::uint32_t i = 0; i < count; ++i) {
        for (std::uint32_t j = i + 1; j < count; ++j) {
            if (_stricmp(names[j], names[i]) < 0) {
                std::swap(names[i], names[j]);
                std::swap(flags[i], flags[j]);
                std::swap(flagSizes[i], flagSizes[j]);
            }
        }
    }
}

int CMakeDiskList::AllocateFlags(int index, std::uint32_t size) {
    if (index < 0 || static_cast<std::uint32_t>(index) >= count)
        return 0;
    auto* array = static_cast<std::uint8_t*>(std::calloc(size > 0 ? size : 1, 1));
    if (array == nullptr)
        return 0;
    std::free(flags[index]);
    flags[index] = array;
    flagSizes[index] = size;
    return 1;
}

void CMakeDiskList::Clear() {
    for (std::uint32_t i = 0; i < count; ++i) {
        std::free(names[i]);
        std::free(flags[i]);
    }
    std::free(names);
    std::free(flags);
    std::free(flagSizes);
    names = nullptr;
    flags = nullptr;
    flagSizes = nullptr;
    count = capacity = 0;
}
