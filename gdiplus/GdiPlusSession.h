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
// taken and cleared first. A token is shut down at most once however often it
// is ended, and a 0 token does nothing.
void EndGdiPlus(const GdiPlusToken* token = nullptr);

}  // namespace orv
