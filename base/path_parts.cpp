#include "base/path_parts.h"

#include <cstring>

#include "base/dbcs.h"

namespace {

// "\" counts only where it is not the trail byte of a double-byte character; "/" always.
bool IsSeparatorAt(const char* path, std::uint32_t index) {
    return path[index] == '/' || IsCharAt(path, index, '\\');
}

}  // namespace

int CutLastPathPart(char* path) {
    std::uint32_t length = static_cast<std::uint32_t>(std::strlen(path));
    if (length < 3)
        return 0;
    if (IsSeparatorAt(path, length - 1))
        path[--length] = '\0';
    for (std::uint32_t i = length; i-- > 0;) {
        if (IsSeparatorAt(path, i)) {
            path[i] = '\0';
            return 1;
        }
    }
    return 0;
}
