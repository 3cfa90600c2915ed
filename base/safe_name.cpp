#include "base/safe_name.h"

#include <cstring>

#include "base/dbcs.h"
#include "base/platform.h"

namespace {

bool IsInvalid(unsigned char c) {
    return c < 0x20 || std::strchr("<>\"|?*", c) != nullptr;
}

}  // namespace

NameProblem PathNameProblem(const char* name) {
    if (!name || !*name)
        return NAME_EMPTY;
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
        return NAME_DOTS;
    std::size_t last = 0;  // the last character's first byte
    for (std::size_t i = 0; name[i]; ++i) {
        last = i;
        const auto c = static_cast<unsigned char>(name[i]);
        if (IsDBCSLeadByte(c) && name[i + 1]) {
            ++i;
            continue;
        }
        if (c == '\\' || c == '/' || c == ':')
            return NAME_SEPARATOR;
        if (IsInvalid(c))
            return NAME_INVALID_CHARACTER;
    }
    if (name[last] == '.' || name[last] == ' ')
        return NAME_TRAILING_DOT_OR_SPACE;
    return IsDeviceName(name) ? NAME_DEVICE : NAME_SAFE;
}

int IsSafePathName(const char* name) {
    return PathNameProblem(name) == NAME_SAFE;
}

int IsDeviceName(const char* name) {
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    std::size_t length = std::strcspn(name, ".");
    while (length > 0 && name[length - 1] == ' ')
        --length;
    for (const char* device : kDevices) {
        if (std::strlen(device) == length && CompareNoCaseN(name, device, length))
            return 1;
    }
    const bool numbered = CompareNoCaseN(name, "COM", 3) || CompareNoCaseN(name, "LPT", 3);
    return length == 4 && numbered && name[3] >= '0' && name[3] <= '9';
}
