#include "skin/SkinEngine.h"

namespace orv {

SkinSettings& Skin()
{
    static SkinSettings settings;
    return settings;
}

SkinEngine::SkinEngine(COLORREF defaultBackColour) { Skin().defaultBackColour = defaultBackColour; }

void SkinEngine::Release()
{
    SkinSettings& s = Skin();
    if (s.appIcon) {
        DestroyIcon(s.appIcon);
        s.appIcon = nullptr;
    }
    EndGdiPlus(&s.gdiplusToken);
}

void SkinEngine::SetControlSkinOptions(int enable, int alpha, bool alphaGiven, int trackStyle, bool trackStyleGiven)
{
    SkinSettings& s = Skin();
    s.controlSkinning = enable;
    s.backgroundAlpha = alphaGiven ? alpha : 160;
    s.translucentBackground = alphaGiven ? 1 : 0;
    s.trackStyle = trackStyleGiven ? trackStyle : 1;
}

COLORREF SkinEngine::GetDefaultBackColour() { return Skin().defaultBackColour; }

}  // namespace orv
