#include "audio/FileSource.h"

namespace orv {

FileSource::FileSource(const std::wstring& path, const std::atomic<bool>& stop) : stop_(stop)
{
    // Shared with writers and deleters: a player or a download may hold the
    // file, and a file deleted meanwhile stays readable until closed.
    file_ = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED | FILE_FLAG_SEQUENTIAL_SCAN,
                        nullptr);
    if (file_ == INVALID_HANDLE_VALUE) {
        error_ = GetLastError();
        return;
    }
    LARGE_INTEGER size{};
    event_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!event_ || !GetFileSizeEx(file_, &size)) {
        error_ = GetLastError();
        CloseHandle(file_);
        file_ = INVALID_HANDLE_VALUE;
        return;
    }
    size_ = static_cast<uint64_t>(size.QuadPart);
}

FileSource::FileSource(HANDLE file, uint64_t size, const std::atomic<bool>& stop, DWORD stallMs)
    : file_(file), size_(size), stallMs_(stallMs), stop_(stop)
{
    event_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!event_) {
        error_ = GetLastError();
        CloseHandle(file_);
        file_ = INVALID_HANDLE_VALUE;
    }
}

FileSource::~FileSource()
{
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
    if (event_) CloseHandle(event_);
}

int64_t FileSource::ReadAt(uint64_t offset, void* out, size_t size)
{
    if (!IsOpen() || timedOut_) return -1;
    if (size == 0 || offset >= size_) return 0;
    const DWORD want = static_cast<DWORD>(size < (1u << 30) ? size : (1u << 30));
    OVERLAPPED ov{};
    ov.Offset = static_cast<DWORD>(offset);
    ov.OffsetHigh = static_cast<DWORD>(offset >> 32);
    ov.hEvent = event_;
    ResetEvent(event_);
    DWORD got = 0;
    if (!ReadFile(file_, out, want, nullptr, &ov)) {
        const DWORD e = GetLastError();
        if (e == ERROR_HANDLE_EOF) return 0;
        if (e != ERROR_IO_PENDING) {
            error_ = e;
            return -1;
        }
        // Waited for in slices, so that a stop or a stall is noticed.
        DWORD waited = 0;
        while (WaitForSingleObject(event_, 100) == WAIT_TIMEOUT) {
            waited += 100;
            if (!stop_.load() && waited < stallMs_) continue;
            timedOut_ = !stop_.load();
            CancelIoEx(file_, &ov);
            GetOverlappedResult(file_, &ov, &got, TRUE);
            error_ = timedOut_ ? ERROR_TIMEOUT : ERROR_OPERATION_ABORTED;
            return -1;
        }
    }
    if (!GetOverlappedResult(file_, &ov, &got, FALSE)) {
        const DWORD e = GetLastError();
        if (e == ERROR_HANDLE_EOF) return 0;
        error_ = e;
        return -1;
    }
    return static_cast<int64_t>(got);
}

}  // namespace orv
