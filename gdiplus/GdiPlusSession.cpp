#include "gdiplus/GdiPlusSession.h"

#include "gdiplus/PictureCache.h"

#include <windows.h>
#include <gdiplus.h>

#include <vector>

namespace orv {

namespace {

GdiPlusToken gLastToken = 0;
// Sessions started and not yet ended, by token value. The skin's release and
// the frame's WM_QUIT both end the same kept token, and GdiplusShutdown must
// see it once per start only. Counting (rather than remembering ended
// tokens) keeps that right where GDI+ hands out one token value for every
// session, as Wine does.
struct OpenSession {
    GdiPlusToken token;
    int starts;
};
std::vector<OpenSession> gOpen;
ShutdownObserver gShutdownObserver = nullptr;

OpenSession* FindOpen(GdiPlusToken token)
{
    for (OpenSession& s : gOpen)
        if (s.token == token) return &s;
    return nullptr;
}

}  // namespace

GdiPlusToken StartGdiPlus(uint32_t version)
{
    Gdiplus::GdiplusStartupInput input;
    input.GdiplusVersion = version;
    input.DebugEventCallback = nullptr;
    input.SuppressBackgroundThread = FALSE;
    input.SuppressExternalCodecs = FALSE;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) token = 0;
    gLastToken = token;
    if (token != 0) {
        if (OpenSession* open = FindOpen(token))
            ++open->starts;
        else
            gOpen.push_back({token, 1});
    }
    return token;
}

void EndGdiPlus(const GdiPlusToken* token)
{
    GdiPlusToken t;
    if (token) {
        t = *token;
    } else {
        t = gLastToken;
        gLastToken = 0;
    }
    OpenSession* open = t ? FindOpen(t) : nullptr;
    if (!open) return;
    if (--open->starts == 0) {
        gOpen.erase(gOpen.begin() + (open - gOpen.data()));
        // Cached images are GDI+ objects: they go while GDI+ still runs.
        if (gOpen.empty()) gp::ClearPictureCache();
        if (t == gLastToken) gLastToken = 0;
    }
    if (gShutdownObserver) gShutdownObserver(t);
    Gdiplus::GdiplusShutdown(t);
}

ShutdownObserver SetShutdownObserver(ShutdownObserver observer)
{
    ShutdownObserver previous = gShutdownObserver;
    gShutdownObserver = observer;
    return previous;
}

}  // namespace orv
