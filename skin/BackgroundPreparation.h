// A skinned window's background, prepared away from the interface thread.
//
// Preparing the picture (its average colour, then the edge blend and the PNG
// encode that keep it as prepared bytes) takes 30-60 ms at start-up under
// Wine, while the window's controls are being made, skinned and filled, which
// needs none of it. So SetBackground hands the work to a worker thread, and
// the first reader of the results (the frame's render, the tree key colour)
// waits for them.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "gdiplus/Images.h"
#include "gdiplus/MemoryStream.h"

namespace orv {

struct WindowSkinRecord;

// A preparation under way; the record holds it until FinishBackground.
class BackgroundJob;
struct BackgroundJobDeleter {
    void operator()(BackgroundJob* job) const;  // waits for the thread
};
using PendingBackground = std::unique_ptr<BackgroundJob, BackgroundJobDeleter>;

struct PreparedBackground {
    COLORREF averageColour = 0;
    gp::Bytes prepared;    // PNG bytes with blended edges, or the picture unchanged
    gp::Bitmap decoded;    // the pixels those PNG bytes were encoded from, when there are any
};

// The work itself, on the calling thread.
PreparedBackground PrepareBackgroundPicture(const std::string& picture, int layoutMode);

// Starts preparing record.backgroundSource for record.layoutMode; without a
// thread to spare, prepares it here and now.
void StartBackgroundPreparation(WindowSkinRecord& record);

// Starts preparing a picture before any window is given it: a program knows
// its main window's background before it makes the window and its controls,
// and the preparation then runs beside all of that instead of beside the
// skinning alone. The first window given the same picture and layout mode
// takes the work over; any other picture drops it.
void PrepareBackgroundAhead(std::string picture, int layoutMode);

// Waits for a preparation started ahead that no window took, and drops it.
// Before the GDI+ session ends: the work uses it.
void DropBackgroundAhead();

// Waits for a preparation started for the record, if any, and stores its
// results in the record. Cheap when there is none.
void FinishBackground(WindowSkinRecord& record);

}  // namespace orv
