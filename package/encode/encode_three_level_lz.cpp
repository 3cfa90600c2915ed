#include "base/file_io.h"
#include "package/encode/encode_literal_lz.h"
#include "package/encode/encode_methods.h"

namespace {

// The decoder joins each level's literals from the bit planes that the level below yields.
// A level with no literals still hands one byte down, so that no join is ever empty.
int PlanesOfLiterals(const ClTempFile& literals, ClTempFile* planes, std::uint64_t* planesSize) {
    std::uint64_t size = 0;
    if (!literals.Size(&size))
        return 0;
    if (size == 0) {
        const std::uint8_t zero = 0;
        if (!WriteFileAll(literals.handle(), &zero, 1))
            return 0;
        size = 1;
    }
    return planes->Create() && EncodeBitPlanes(literals.handle(), 0, size, planes->handle()) &&
           planes->Size(planesSize);
}

}  // namespace

int EncodeThreeLevelLz(HANDLE input, std::uint64_t offset, std::uint64_t size,
                       const EncodeEffort& effort, HANDLE output) {
    ClTempFile tokens[3], literals, planes;
    if (!EncodeLiteralLzLevel(input, offset, size, effort, &tokens[0], &literals))
        return 0;
    for (auto* level = &tokens[1]; level != &tokens[3]; ++level) {
        std::uint64_t planesSize = 0;
        if (!PlanesOfLiterals(literals, &planes, &planesSize) ||
            !EncodeLiteralLzLevel(planes.handle(), 0, planesSize, effort, level, &literals))
            return 0;
    }
    return WriteSections(output, {&tokens[0], &tokens[1], &tokens[2], &literals});
}
