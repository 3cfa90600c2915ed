// A temporary file for decoded data that nobody keeps (verify), removed with the object.
#pragma once

#include "base/file_stream.h"

class ScratchFile {
  public:
    ScratchFile();  // throws ToolError when no temporary file can be made
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    SFileStream* stream() { return stream_; }

  private:
    SFileStream* stream_ = nullptr;
};
