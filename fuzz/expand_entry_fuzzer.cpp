// SCompress on arbitrary bytes. The first byte is the chain selector, as in a package entry;
// the values 0xF0-0xF5 instead hand the rest to one method (0-5) alone, so that methods 3
// and 5, which no chain reaches, are fuzzed too. Malformed input must fail cleanly.
#include <signal.h>
#include <sys/resource.h>

#include <cstdint>

#include "base/file_io.h"
#include "base/file_stream.h"
#include "fuzz/scratch_file.h"
#include "package/decode/codec_format.h"
#include "package/decode/compress.h"

namespace {

constexpr std::uint8_t kSingleMethodBase = 0xF0;

// A few bytes of input may ask for gigabytes of fill runs or repeats. Capping the size of
// every file the process writes turns such outputs into failed writes, which the decoder
// must handle like any other.
SCompress* MakeCodec() {
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = {32u << 20, 32u << 20};
    setrlimit(RLIMIT_FSIZE, &limit);
    auto* codec = new SCompress;
    if (!codec->Initialize())
        abort();
    return codec;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static SCompress* codec = MakeCodec();
    static const ClTempFile input = OpenScratchFile();
    static const ClTempFile output = OpenScratchFile();
    const HANDLE source = input.handle();
    FillScratchFile(source, data, size);
    ClearScratchFile(output.handle());
    SFileStream* destination = FileStreamAttach(output.handle(), 0);
    if (destination == nullptr)
        abort();
    if (size > 0 && data[0] >= kSingleMethodBase &&
        data[0] < kSingleMethodBase + kCodecMethodCount) {
        std::uint8_t method = static_cast<std::uint8_t>(data[0] - kSingleMethodBase);
        SetFilePosition(source, 1);
        codec->RunChain(source, destination, size - 1, &method, 1);
    } else {
        codec->ExpandEntry(source, destination, size);
    }
    FileStreamClose(destination);
    return 0;
}
