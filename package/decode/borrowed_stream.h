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
    // Moves to the start, ready to be written afresh. The file is not cut: a result is read
    // back by its length, and some file systems write a file that was cut to zero length out
    // to disk when it is closed, which a temporary file never needs.
    int Rewind() { return FileStreamSeek(stream_, 0); }

  private:
    SFileStream* stream_;
};
