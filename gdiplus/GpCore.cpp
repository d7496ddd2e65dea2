#include "gdiplus/GpCore.h"

namespace orv::gp {

namespace {
// Per thread, like GetLastError: a window's background is prepared on a
// worker while the interface thread draws.
thread_local GpStatus gLastStatus = Gdiplus::Ok;
}

GpStatus LastStatus() { return gLastStatus; }

bool Track(GpStatus status)
{
    gLastStatus = status;
    return status == Gdiplus::Ok;
}

void* Alloc(size_t size) { return Gdiplus::DllExports::GdipAlloc(size); }

void Free(void* block)
{
    if (block) Gdiplus::DllExports::GdipFree(block);
}

}  // namespace orv::gp
