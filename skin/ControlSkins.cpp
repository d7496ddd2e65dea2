#include "skin/ControlSkins.h"

#include "skin/ButtonSkin.h"
#include "skin/CommonControlSkins.h"
#include "skin/EditSkin.h"
#include "skin/ListSkin.h"
#include "skin/Registry.h"

namespace orv {

void InstallControlSkinModules()
{
    RegisterButtonSkin();
    SetControlInstaller(kInstallEdits, SkinEditsAndCombos);
    SetControlInstaller(kInstallTrackBars, SkinTrackBars);
    SetControlInstaller(kInstallProgressBars, SkinProgressBars);
    SetControlInstaller(kInstallListFamily, SkinLists);
    SetControlInstaller(kInstallUpDown, SkinUpDowns);
    SetControlInstaller(kInstallHeaders, SkinHeaders);
}

}  // namespace orv
