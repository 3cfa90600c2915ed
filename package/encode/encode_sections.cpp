#include "package/encode/encode_sections.h"

#include <cstdint>

#include "base/file_io.h"
#include "base/little_endian.h"

int WriteSections(HANDLE output, std::initializer_list<const ClTempFile*> sections) {
    // Method 1 has the most sections: four.
    constexpr std::size_t kSectionsMax = 4;
    std::uint8_t header[4 * kSectionsMax] = {};
    if (sections.size() > kSectionsMax)
        return 0;
    std::size_t n = 0;
    for (const ClTempFile* section : sections) {
        std::uint64_t size = 0;
        if (!section->Size(&size) || size > 0xFFFFFFFFu)
            return 0;
        StoreLe32(header + 4 * n, static_cast<std::uint32_t>(size));
        ++n;
    }
    if (!WriteFileAll(output, header, static_cast<std::uint32_t>(4 * n)))
        return 0;
    for (const ClTempFile* section : sections) {
        if (!section->CopyTo(output))
            return 0;
    }
    return 1;
}
