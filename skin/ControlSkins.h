// The one place where the control-skin modules hand their installers to the
// registry. Called once before the first window is skinned; calling it again
// changes nothing.
#pragma once

namespace orv {

void InstallControlSkinModules();

}  // namespace orv
