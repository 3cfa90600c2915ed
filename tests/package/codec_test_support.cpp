#include "tests/package/codec_test_support.h"

#include "base/file_stream.h"
#include "tests/support/open_file.h"

std::string Bits(const std::string& pattern) {
    std::string bytes;
    int used = 0;
    for (char c : pattern) {
        if (c != '0' && c != '1')
            continue;
        if (used == 0)
            bytes.push_back('\0');
        if (c == '1')
            bytes.back() = static_cast<char>(bytes.back() | (0x80 >> used));
        used = (used + 1) & 7;
    }
    return bytes;
}

std::string BitsOf(std::uint32_t value, int width) {
    std::string pattern;
    for (int bit = width - 1; bit >= 0; --bit)
        pattern += ((value >> bit) & 1) ? '1' : '0';
    return pattern;
}

std::string U32(std::uint32_t value) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<char>(value >> (8 * i));
    return bytes;
}

std::string TwoSectionStage(const std::string& tokens, const std::string& last) {
    return U32(static_cast<std::uint32_t>(tokens.size())) +
           U32(static_cast<std::uint32_t>(last.size())) + tokens + last;
}

namespace {

// The bit planes of bytes: plane k holds bit 7 - k of every byte, back to back.
std::string SplitPlanes(const std::string& bytes) {
    std::string pattern;
    for (int plane = 0; plane < 8; ++plane)
        for (char byte : bytes)
            pattern += ((static_cast<unsigned char>(byte) >> (7 - plane)) & 1) ? '1' : '0';
    return Bits(pattern);
}

}  // namespace

std::string ThreeLevelStageOf(const std::string& bytes) {
    auto size = static_cast<std::uint32_t>(bytes.size());
    // Literal-LZ tokens that take all bytes as literals and end.
    std::string tokens = Bits("0 0 11111" + BitsOf(size, 32) + " 0 00000");
    auto tokenSize = static_cast<std::uint32_t>(tokens.size());
    return U32(tokenSize) + U32(tokenSize) + U32(tokenSize) + U32(size) + tokens + tokens + tokens +
           SplitPlanes(SplitPlanes(bytes));
}

std::string PseudoRandomBytes(std::size_t count, std::uint32_t seed) {
    std::string bytes(count, '\0');
    for (auto& byte : bytes) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<char>(seed >> 23);
    }
    return bytes;
}

CodecRunner::CodecRunner() {
    ready_ = codec_.Initialize() == 1;
}

bool CodecRunner::Method(std::uint8_t method, const std::string& input, std::string* output) {
    return Run(input, output, &method, GENERIC_READ | GENERIC_WRITE);
}

bool CodecRunner::Entry(const std::string& entry, std::string* output, DWORD destinationAccess) {
    return Run(entry, output, nullptr, destinationAccess);
}

bool CodecRunner::Run(const std::string& input, std::string* output, const std::uint8_t* method,
                      DWORD destinationAccess) {
    std::string sourcePath = dir_.File("source.bin");
    std::string destinationPath = dir_.File("destination.bin");
    if (!WriteWholeFile(sourcePath, input) ||
        !WriteWholeFile(destinationPath, std::string(300, 'J')))
        return false;
    ClFileHandle source = OpenScratchFile(sourcePath, GENERIC_READ);
    SFileStream* destination =
        FileStreamOpen(destinationPath.c_str(), destinationAccess, 0, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (!source.ok() || destination == nullptr)
        return false;
    int ok = method ? codec_.RunChain(source.get(), destination, input.size(), method, 1)
                    : codec_.ExpandEntry(source.get(), destination, input.size());
    FileStreamClose(destination);
    *output = ReadWholeFile(destinationPath);
    return ok == 1;
}
