// Shapes and shortcuts every painter uses: the rounded rectangle and the
// usual ways of filling, stroking and placing stored pictures.
#pragma once

#include "gdiplus/GpCore.h"

namespace orv::gp {

class Graphics;
class GraphicsPath;

// Adds a rounded rectangle as one closed figure. corner is the size of each
// arc's box (a diameter), clamped to 1..100. The lower right arc box is one
// pixel larger and one pixel further up and left than the others, so that
// the right and bottom edges land on x + width and y + height.
bool AddRoundRect(GraphicsPath& path, float x, float y, float width, float height, float corner);

// A rounded rectangle filled with one colour.
bool FillRoundRect(Graphics& graphics, float x, float y, float width, float height, float corner, ARGB colour);

// A rounded rectangle filled from top (colour at the top) to bottom.
bool FillRoundRectGradient(Graphics& graphics, float x, float y, float width, float height, float corner,
                           ARGB top, ARGB bottom);

// The outline of a rounded rectangle with a pen of colour and width.
bool StrokeRoundRect(Graphics& graphics, float x, float y, float width, float height, float corner, ARGB colour,
                     float penWidth = 1.0f);

// A plain rectangle filled from top to bottom.
bool FillRectGradient(Graphics& graphics, float x, float y, float width, float height, ARGB top, ARGB bottom);

// Draws stored picture bytes at (x, y) at their own size, or scaled into
// (x, y, width, height). The decoded image comes from the picture cache.
// A picture that does not decode draws nothing and gives false.
bool DrawPicture(Graphics& graphics, const void* bytes, size_t size, float x, float y);
bool DrawPicture(Graphics& graphics, const void* bytes, size_t size, float x, float y, float width,
                 float height);

// Width and height of stored picture bytes (0 × 0 when they do not decode).
bool PictureSize(const void* bytes, size_t size, UINT* width, UINT* height);

}  // namespace orv::gp
