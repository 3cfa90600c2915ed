#include "package/decode/literal_window.h"

#include <cstring>

namespace {

// Below this much room behind the bytes taken, the window starts over from its beginning,
// so that every read brings in a large piece.
constexpr std::uint32_t kMinimumRoom = 0x8000;

}  // namespace

std::uint32_t LiteralWindow::Available() {
    if (ahead > taken)
        return ahead - taken;
    if (unread == 0)
        return 0;
    if (size - taken < kMinimumRoom) {
        std::memmove(window, window + taken - keep, keep);
        taken = ahead = keep;
    }
    std::uint32_t room = size - ahead;
    std::uint32_t amount = unread < room ? static_cast<std::uint32_t>(unread) : room;
    if (!source->Read(window + ahead, amount))
        return 0;
    ahead += amount;
    unread -= amount;
    return amount;
}
