// The search for the package notice, in a file of its own: it needs the notice text as a
// second copy, and setup.exe, which never searches, must hold the text only once (in front of
// its slot). The program does not link this file; the builder and the readers do.
#include <cstddef>
#include <cstring>

#include "package/layout/package_layout.h"

const char* FindPackageNotice(const char* begin, const char* end) {
    for (const char* at = begin; end - at >= static_cast<std::ptrdiff_t>(kPackageNoticeSize + 4);
         ++at) {
        at = static_cast<const char*>(std::memchr(at, kPackageNotice[0], end - at));
        if (at == nullptr || end - at < static_cast<std::ptrdiff_t>(kPackageNoticeSize + 4))
            return nullptr;
        if (std::memcmp(at, kPackageNotice, kPackageNoticeSize) == 0)
            return at;
    }
    return nullptr;
}
