#include "package/decode/bit_writer.h"

void BitWriter::Finish() {
    if (pendingBits_ > 0)
        sink_->Put(static_cast<std::uint8_t>(pending_ << (8 - pendingBits_)));
    pending_ = 0;
    pendingBits_ = 0;
}
