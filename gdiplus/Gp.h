// Everything a painter needs from the GDI+ layer, in one include.
#pragma once

#include "gdiplus/Background.h"
#include "gdiplus/Brushes.h"
#include "gdiplus/Drawing.h"
#include "gdiplus/Encoders.h"
#include "gdiplus/Fonts.h"
#include "gdiplus/GbkText.h"
#include "gdiplus/GdiPlusSession.h"
#include "gdiplus/GpCore.h"
#include "gdiplus/Graphics.h"
#include "gdiplus/GraphicsPath.h"
#include "gdiplus/Images.h"
#include "gdiplus/MemoryStream.h"
#include "gdiplus/Pen.h"
#include "gdiplus/PictureCache.h"
#include "gdiplus/Region.h"
#include "gdiplus/StringFormat.h"
