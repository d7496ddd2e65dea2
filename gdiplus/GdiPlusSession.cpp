#include "gdiplus/GdiPlusSession.h"

#include <windows.h>
#include <gdiplus.h>

#include <vector>

namespace orv {

namespace {

GdiPlusToken gLastToken = 0;
// Tokens already shut down: the skin's release and the frame's WM_QUIT path
// both end the same kept token, and GdiplusShutdown must see it once only.
std::vector<GdiPlusToken> gEndedTokens;

bool AlreadyEnded(GdiPlusToken token)
{
    for (GdiPlusToken t : gEndedTokens)
        if (t == token) return true;
    return false;
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
    // A new session may reuse an old token's value.
    for (auto it = gEndedTokens.begin(); it != gEndedTokens.end(); ++it)
        if (*it == token) {
            gEndedTokens.erase(it);
            break;
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
    if (t == 0 || AlreadyEnded(t)) return;
    gEndedTokens.push_back(t);
    if (t == gLastToken) gLastToken = 0;
    Gdiplus::GdiplusShutdown(t);
}

}  // namespace orv
