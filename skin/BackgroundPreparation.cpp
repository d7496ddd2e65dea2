#include "skin/BackgroundPreparation.h"

#include <objbase.h>

#include "gdiplus/Gp.h"
#include "skin/WindowSkinRecord.h"

namespace orv {

// One picture's preparation on its own thread. The job owns a copy of the
// bytes (the record may take another picture meanwhile) and is waited for
// before it goes.
class BackgroundJob {
public:
    BackgroundJob(std::string picture, int layoutMode) : picture_(std::move(picture)), layoutMode_(layoutMode) {}
    ~BackgroundJob() { Wait(); }
    BackgroundJob(const BackgroundJob&) = delete;
    BackgroundJob& operator=(const BackgroundJob&) = delete;

    bool Start()
    {
        thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
        return thread_ != nullptr;
    }
    bool IsFor(const std::string& picture, int layoutMode) const
    {
        return layoutMode == layoutMode_ && picture == picture_;
    }
    PreparedBackground Take()
    {
        Wait();
        return std::move(result_);
    }

private:
    static DWORD WINAPI Run(void* self)
    {
        auto* job = static_cast<BackgroundJob*>(self);
        // The picture codecs behind GDI+ are COM objects.
        const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        job->result_ = PrepareBackgroundPicture(job->picture_, job->layoutMode_);
        if (SUCCEEDED(com)) CoUninitialize();
        return 0;
    }
    void Wait()
    {
        if (!thread_) return;
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        thread_ = nullptr;
    }

    std::string picture_;
    int layoutMode_;
    PreparedBackground result_;
    HANDLE thread_ = nullptr;
};

void BackgroundJobDeleter::operator()(BackgroundJob* job) const { delete job; }

namespace {

// The one preparation started before its window was skinned.
PendingBackground& Ahead()
{
    static PendingBackground ahead;
    return ahead;
}

}  // namespace

void PrepareBackgroundAhead(std::string picture, int layoutMode)
{
    DropBackgroundAhead();
    if (picture.empty()) return;
    PendingBackground job(new BackgroundJob(std::move(picture), layoutMode));
    if (job->Start()) Ahead() = std::move(job);
}

void DropBackgroundAhead() { Ahead().reset(); }

PreparedBackground PrepareBackgroundPicture(const std::string& picture, int layoutMode)
{
    PreparedBackground out;
    if (picture.empty()) return out;
    // One decode for the colour and the blend, and the blended pixels kept
    // for the frame's first render, which would otherwise decode the PNG
    // again on the interface thread (8-10 ms of the start-up under Wine).
    gp::BlendedPicture blended = gp::BlendPictureEdgesOnce(picture.data(), picture.size(), layoutMode);
    out.averageColour = blended.averageColour;
    out.prepared = std::move(blended.png);
    out.decoded = std::move(blended.pixels);
    return out;
}

void StartBackgroundPreparation(WindowSkinRecord& record)
{
    FinishBackground(record);  // an earlier picture's work ends first
    record.preparedBackground.clear();
    record.preparedPixels.Dispose();
    record.averageColour = 0;
    if (record.backgroundSource.empty()) return;
    PendingBackground& ahead = Ahead();
    if (ahead && ahead->IsFor(record.backgroundSource, record.layoutMode)) {
        record.pendingBackground = std::move(ahead);
        return;
    }
    DropBackgroundAhead();  // for another picture: not wanted
    PendingBackground job(
        new BackgroundJob(record.backgroundSource, record.layoutMode));
    if (job->Start()) {
        record.pendingBackground = std::move(job);
        return;
    }
    // No thread to spare: here and now.
    PreparedBackground result = PrepareBackgroundPicture(record.backgroundSource, record.layoutMode);
    record.averageColour = result.averageColour;
    record.preparedBackground = std::move(result.prepared);
    record.preparedPixels = std::move(result.decoded);
}

void FinishBackground(WindowSkinRecord& record)
{
    if (!record.pendingBackground) return;
    PreparedBackground result = record.pendingBackground->Take();
    record.pendingBackground.reset();
    record.averageColour = result.averageColour;
    record.preparedBackground = std::move(result.prepared);
    record.preparedPixels = std::move(result.decoded);
}

}  // namespace orv
