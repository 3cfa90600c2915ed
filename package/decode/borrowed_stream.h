// BorrowedStream: a stream that borrows one of the codec's temporary file handles for the
// length of a stage (FileStreamAttach with flags 0) and lets go of it without closing it.
#pragma once

#include "base/file_stream.h"

class BorrowedStream {
  public:
    explicit BorrowedStream(HANDLE handle) : stream_(FileStreamAttach(handle, 0)) {}
    ~BorrowedStream() {
        if (stream_ != nullptr)
            FileStreamClose(stream_);
    }
    BorrowedStream(const BorrowedStream&) = delete;
    BorrowedStream& operator=(const BorrowedStream&) = delete;

    // Null if memory ran out.
    SFileStream* get() const { return stream_; }
    // Moves to the start and ends the file there, ready to be written afresh.
    int Clear() { return FileStreamSeek(stream_, 0) && FileStreamTruncate(stream_); }
    int Rewind() { return FileStreamSeek(stream_, 0); }

  private:
    SFileStream* stream_;
};
