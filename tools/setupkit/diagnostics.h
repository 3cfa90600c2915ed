// Problems found in a manifest, each with the file, line and column it concerns, reported
// together at the end so that one run shows them all.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

struct SourcePos {
    int line = 0;  // 1-based; 0 when unknown
    int column = 0;
};

class Diagnostics {
  public:
    explicit Diagnostics(std::string file) : file_(std::move(file)) {}

    void Error(SourcePos pos, const std::string& message);

    bool HasErrors() const { return !lines_.empty(); }
    int ErrorCount() const { return static_cast<int>(lines_.size()); }
    const std::vector<std::string>& Lines() const { return lines_; }
    const std::string& File() const { return file_; }

  private:
    std::string file_;
    std::vector<std::string> lines_;
};

// A file offset as messages show it: 0x7C000.
std::string HexOffset(std::uint64_t offset);

// What a Win32 error code (as the platform layer sets it on every host) means, for messages:
// the ones a user can act on in words, the others by number.
std::string SystemErrorText(std::uint32_t error);

// A failure of a command, with its context already in the message; main prints it once.
class ToolError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};
