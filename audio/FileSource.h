// A track's bytes read from disk or a network share by the file's wide name.
// Reads can be stopped from another thread, and a read that stalls (a share
// gone away) ends after a while instead of holding the analysis for ever.
// Windows only.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

#include "audio/ByteSource.h"

namespace orv {

class FileSource : public ByteSource {
public:
    // stop is read while a read waits; it must outlive the source.
    FileSource(const std::wstring& path, const std::atomic<bool>& stop);
    // Takes over a handle opened for overlapped reads, claiming size bytes,
    // and gives a stalled read stallMs: how tests meet a share that stops
    // answering or goes away, with a pipe standing in for it.
    FileSource(HANDLE file, uint64_t size, const std::atomic<bool>& stop, DWORD stallMs);
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    bool IsOpen() const { return file_ != INVALID_HANDLE_VALUE; }
    // GetLastError of the open that failed, or of the last read that failed.
    DWORD Error() const { return error_; }
    bool TimedOut() const { return timedOut_; }

    int64_t ReadAt(uint64_t offset, void* out, size_t size) override;
    uint64_t Size() const override { return size_; }

    // How long one read may wait before the source gives up on it.
    static constexpr DWORD kStallMs = 15000;

private:
    HANDLE file_ = INVALID_HANDLE_VALUE;
    HANDLE event_ = nullptr;
    uint64_t size_ = 0;
    DWORD error_ = 0;
    bool timedOut_ = false;
    DWORD stallMs_ = kStallMs;
    const std::atomic<bool>& stop_;
};

}  // namespace orv
