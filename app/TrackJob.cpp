#include "app/TrackJob.h"

#include <algorithm>

namespace orv {

namespace {

bool IsFolder(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The folder's own audio files, by name; its subfolders are not entered.
std::vector<std::wstring> TracksInFolder(const std::wstring& folder, const std::atomic<bool>& stop)
{
    std::vector<std::wstring> tracks;
    std::wstring base = folder;
    if (!base.empty() && base.back() != L'\\' && base.back() != L'/') base += L'\\';
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((base + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return tracks;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsTrackFileName(found.cFileName))
            tracks.push_back(base + found.cFileName);
    } while (!stop.load() && FindNextFileW(search, &found));
    FindClose(search);
    std::sort(tracks.begin(), tracks.end(),
              [](const std::wstring& a, const std::wstring& b) { return lstrcmpiW(a.c_str(), b.c_str()) < 0; });
    return tracks;
}

}  // namespace

bool TrackJob::Start(std::vector<std::wstring> paths, Poster post, Progress progress, Done done)
{
    if (thread_) return false;
    paths_ = std::move(paths);
    post_ = std::move(post);
    progress_ = std::move(progress);
    done_ = std::move(done);
    stop_ = false;
    thread_ = CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr);
    return thread_ != nullptr;
}

DWORD WINAPI TrackJob::ThreadMain(void* self)
{
    static_cast<TrackJob*>(self)->Run();
    return 0;
}

void TrackJob::Run()
{
    TrackJobResult result;
    std::vector<std::wstring> tracks;
    for (const std::wstring& path : paths_) {
        if (stop_.load()) break;
        if (!IsFolder(path)) {
            tracks.push_back(path);
            continue;
        }
        result.several = true;
        std::vector<std::wstring> inside = TracksInFolder(path, stop_);
        if (inside.empty()) result.foldersWithoutTracks.push_back(path);
        tracks.insert(tracks.end(), inside.begin(), inside.end());
    }
    result.several = result.several || tracks.size() > 1;
    const int total = static_cast<int>(tracks.size());
    for (int i = 0; i < total && !stop_.load(); ++i) {
        Progress progress = progress_;
        post_([progress, i, total] { progress(i + 1, total); });
        result.tracks.push_back({tracks[static_cast<size_t>(i)], AnalyseTrack(tracks[static_cast<size_t>(i)], stop_)});
    }
    result.stopped = stop_.load();
    // The window's thread joins this thread when the result arrives.
    TrackJob* self = this;
    auto shared = std::make_shared<TrackJobResult>(std::move(result));
    post_([self, shared] {
        self->Finished();
        self->done_(std::move(*shared));
    });
}

void TrackJob::Finished()
{
    if (!thread_) return;
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    thread_ = nullptr;
}

void TrackJob::Stop()
{
    if (!thread_) return;
    stop_ = true;
    // A folder listing or an open on a share that hangs is cut short.
    CancelSynchronousIo(thread_);
}

void TrackJob::StopAndWait()
{
    if (!thread_) return;
    Stop();
    // Reads notice the stop within a tenth of a second; only a call that
    // cannot be cancelled would keep the thread longer, and the program
    // then goes on without it.
    if (WaitForSingleObject(thread_, 5000) == WAIT_OBJECT_0) {
        CloseHandle(thread_);
        thread_ = nullptr;
    }
}

}  // namespace orv
