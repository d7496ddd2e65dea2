// The skin object: the one instance of the skin engine that the program holds
// from start-up to program end.
#pragma once

#include <windows.h>

#include "skin/SkinSettings.h"

namespace orv {

class SkinEngine {
public:
    // Reads the default back colour once, as the program starts.
    explicit SkinEngine(COLORREF defaultBackColour);
    virtual ~SkinEngine() = default;
    SkinEngine(const SkinEngine&) = delete;
    SkinEngine& operator=(const SkinEngine&) = delete;

    // Destroys the application icon and ends the GDI+ session; safe to call
    // more than once.
    virtual void Release();

    // enable -> ControlSkinning; an alpha given -> BackgroundAlpha and
    // translucent backgrounds on; not given -> 160 and opaque.
    virtual void SetControlSkinOptions(int enable, int alpha, bool alphaGiven, int trackStyle = 1,
                                       bool trackStyleGiven = false);
    virtual COLORREF GetDefaultBackColour();
};

}  // namespace orv
