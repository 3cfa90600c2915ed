#include "base/heap_string.h"

#include <cstdlib>
#include <cstring>

char* CopyToHeap(const char* text) {
    std::size_t size = std::strlen(text) + 1;
    auto* copy = static_cast<char*>(std::malloc(size));
    if (copy != nullptr)
        std::memcpy(copy, text, size);
    return copy;
}
