#include "skin/BackgroundPreparation.h"

#include <objbase.h>

#include <system_error>

#include "gdiplus/Gp.h"
#include "skin/WindowSkinRecord.h"

namespace orv {

PreparedBackground PrepareBackgroundPicture(const std::string& picture, int layoutMode)
{
    PreparedBackground out;
    if (picture.empty()) return out;
    out.averageColour = gp::AverageColour(picture.data(), picture.size());
    if (layoutMode == 0 || layoutMode == 1) {
        gp::Bytes png = gp::BlendPictureEdges(picture.data(), picture.size(), layoutMode, out.averageColour);
        out.prepared.assign(png.begin(), png.end());
    } else {
        out.prepared = picture;
    }
    return out;
}

void StartBackgroundPreparation(WindowSkinRecord& record)
{
    FinishBackground(record);  // an earlier picture's work ends first
    record.preparedBackground.clear();
    record.averageColour = 0;
    if (record.backgroundSource.empty()) return;
    try {
        // The worker gets its own copy of the bytes: the record may change
        // its picture while the worker runs.
        record.pendingBackground = std::async(
            std::launch::async, [picture = record.backgroundSource, mode = record.layoutMode] {
                // The picture codecs behind GDI+ are COM objects.
                const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
                PreparedBackground result = PrepareBackgroundPicture(picture, mode);
                if (SUCCEEDED(com)) CoUninitialize();
                return result;
            });
    } catch (const std::system_error&) {
        PreparedBackground result = PrepareBackgroundPicture(record.backgroundSource, record.layoutMode);
        record.averageColour = result.averageColour;
        record.preparedBackground = std::move(result.prepared);
    }
}

void FinishBackground(WindowSkinRecord& record)
{
    if (!record.pendingBackground.valid()) return;
    PreparedBackground result = record.pendingBackground.get();
    record.averageColour = result.averageColour;
    record.preparedBackground = std::move(result.prepared);
}

}  // namespace orv
