// The GDI+ session: started once before the first window is skinned, ended
// once at program end.
#pragma once

#include <cstdint>

namespace orv {

using GdiPlusToken = uintptr_t;

// GdiplusStartup with the given version, no debug callback, background thread
// and external codecs not suppressed. The token is returned and also kept as
// the session's last token (0 when the start failed).
GdiPlusToken StartGdiPlus(uint32_t version = 1);

// Ends the session of token. Without a token (nullptr) the last token is
// taken and cleared first. Each start reaches GdiplusShutdown at most once
// however often its token is ended; a 0 or unknown token does nothing.
void EndGdiPlus(const GdiPlusToken* token = nullptr);

// Called with each token just before it reaches GdiplusShutdown, so tests can
// see how often a session really ends (GDI+ itself gives no sign under Wine).
// Returns the previous observer; nullptr removes it.
using ShutdownObserver = void (*)(GdiPlusToken token);
ShutdownObserver SetShutdownObserver(ShutdownObserver observer);

}  // namespace orv
