// Painting of skinned message boxes: the whole box into its frame cache
// (Ck_Ycjdx) and onto the window, and the close button alone.
#pragma once

#include <windows.h>

namespace orv {

// Geometry shared by the box's painter, layout and hit test.
inline constexpr int kBoxTitleHeight = 25;     // the draggable band
inline constexpr int kBoxTitleBand = 26;       // the painted title gradient
inline constexpr int kBoxCloseOffset = 36;     // the close button starts this far from the right edge
inline constexpr int kBoxCloseWidth = 36;
inline constexpr int kBoxCloseHeight = 22;
inline constexpr int kBoxCorner = 5;

// Replaces the frame cache of the record's box with a fresh image of the
// whole window and copies it to the window, leaving out its visible
// children.
void PaintMessageBox(int windowIndex);

// The close button, normal or hot, into the cache; with show, also onto the
// window.
void PaintMessageBoxCloseButton(int windowIndex, bool hot, bool show);

}  // namespace orv
