#include "tools/setupkit/entry_commands.h"

#include <cstdint>
#include <filesystem>
#include <iostream>
#include <string>

#include "base/file_io.h"
#include "base/file_stream.h"
#include "base/win_handles.h"
#include "package/decode/compress.h"
#include "package/encode/entry_encoder.h"
#include "tools/setupkit/host.h"
#include "tools/setupkit/path_option.h"

namespace {

struct EntryPaths {
    std::filesystem::path input;
    std::filesystem::path output;
};

[[noreturn]] void Fail(const std::string& message) {
    std::cerr << "setupkit: " << message << "\n";
    throw CLI::RuntimeError(1);
}

void EncodeCommand(const EntryPaths& paths, const std::string& chainName) {
    EntryChain chain = chainName == "0"   ? EntryChain::kZeroRuns
                       : chainName == "1" ? EntryChain::kNibblePlanes
                                          : EntryChain::kSmaller;
    const std::string output = AnsiPath(paths.output);
    if (!EncodeEntryFile(AnsiPath(paths.input).c_str(), output.c_str(), chain, nullptr)) {
        DeleteFileA(output.c_str());
        Fail("encode-entry: cannot encode " + paths.input.u8string() + " into " +
             paths.output.u8string() +
             " (unreadable input, unwritable output, or an input of 4 GiB or more)");
    }
    throw CLI::Success();
}

// Decodes a whole entry, or with a method the data of one stage by that method alone.
void DecodeCommand(const EntryPaths& paths, int method) {
    ClFileHandle source(CreateFileA(AnsiPath(paths.input).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::uint64_t size = 0;
    if (!source.ok() || !GetFileSize64(source.get(), &size))
        Fail("decode-entry: cannot read " + paths.input.u8string());
    SCompress codec;
    if (!codec.Initialize())
        Fail("decode-entry: the decoder cannot get its buffers and temporary files");
    const std::string output = AnsiPath(paths.output);
    SFileStream* destination =
        FileStreamOpen(output.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (destination == nullptr)
        Fail("decode-entry: cannot create " + paths.output.u8string());
    const std::uint8_t stageMethod = static_cast<std::uint8_t>(method);
    int ok = method < 0 ? codec.ExpandEntry(source.get(), destination, size)
                        : codec.RunChain(source.get(), destination, size, &stageMethod, 1);
    FileStreamClose(destination);
    if (!ok) {
        DeleteFileA(output.c_str());
        Fail("decode-entry: " + paths.input.u8string() + " is not a well-formed " +
             (method < 0 ? std::string("entry") : "method " + std::to_string(method) + " stage") +
             "; nothing written");
    }
    throw CLI::Success();
}

}  // namespace

void AddEntryCommands(CLI::App& app) {
    auto paths = std::make_shared<EntryPaths>();
    auto chain = std::make_shared<std::string>("auto");
    CLI::App* encode = app.add_subcommand("encode-entry", "Encode one file into one package entry");
    encode->add_option("--chain", *chain, "Coding chain: 0, 1, or auto for the smaller")
        ->check(CLI::IsMember({"0", "1", "auto"}))
        ->capture_default_str();
    AddPathOption(encode, "IN", &paths->input, "The file to encode")->required();
    AddPathOption(encode, "OUT", &paths->output, "The entry to write")->required();
    encode->callback([paths, chain] { EncodeCommand(*paths, *chain); });

    auto method = std::make_shared<int>(-1);
    CLI::App* decode = app.add_subcommand(
        "decode-entry", "Expand one package entry (or, with --method, one stage) into a file");
    decode->add_option("--method", *method, "Decode IN as the data of one stage of method 0-5")
        ->check(CLI::Range(0, 5));
    AddPathOption(decode, "IN", &paths->input, "The entry (or stage data) to decode")->required();
    AddPathOption(decode, "OUT", &paths->output, "The file to write")->required();
    decode->callback([paths, method] { DecodeCommand(*paths, *method); });
}
