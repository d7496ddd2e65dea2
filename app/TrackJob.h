// Listening to backing tracks off the window's thread: the files and folders
// handed over are gathered (one level of a folder, audio files only), each
// track is analysed in turn, and progress and the reports go back to the
// window's thread through the poster. One job at a time.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "audio/TrackAnalysis.h"

namespace orv {

struct TrackJobResult {
    struct Track {
        std::wstring path;
        TrackReport report;
    };
    std::vector<Track> tracks;
    std::vector<std::wstring> foldersWithoutTracks;
    bool several = false;  // a folder or more than one file was handed over
    bool stopped = false;
};

class TrackJob {
public:
    // Runs an action on the window's thread; false when it cannot (the
    // window is gone), and the action is then dropped.
    using Poster = std::function<bool(std::function<void()>)>;
    using Progress = std::function<void(int next, int total)>;
    using Done = std::function<void(TrackJobResult)>;

    TrackJob() = default;
    ~TrackJob() { StopAndWait(); }
    TrackJob(const TrackJob&) = delete;
    TrackJob& operator=(const TrackJob&) = delete;

    // False when a job still runs or its thread cannot start. progress and
    // done run on the window's thread, through post; done last.
    bool Start(std::vector<std::wstring> paths, Poster post, Progress progress, Done done);
    bool Running() const { return thread_ != nullptr; }
    // Asks the running job to stop; its done still comes, marked stopped.
    void Stop();
    // Stops the job and waits (a few seconds at most) for its thread.
    void StopAndWait();

private:
    static DWORD WINAPI ThreadMain(void* self);
    void Run();
    void Finished();

    HANDLE thread_ = nullptr;
    std::atomic<bool> stop_{false};
    std::vector<std::wstring> paths_;
    Poster post_;
    Progress progress_;
    Done done_;
};

}  // namespace orv
