#include "app/SkinSetup.h"

#include "app/MainLayout.h"
#include "skin/SkinEngine.h"

namespace orv {

void ApplyMainWindowSkin(AppContext& app)
{
    if (!app.skin) return;
    // SKIN-STEP 2: SkinWindow(main window, title bar 1, resizable 0, caption 0,
    //              background picture, layout mode 1) — comes with the frame skin.
    // SKIN-STEP 3: SkinControl(选择夹1, 分组框1, 分组框2; back colour asked
    //              afresh, alpha 100, frame flag 1) — comes with the container skin.
    // 4. Control skinning on, background alpha 100 given, track style not given.
    app.skin->SetControlSkinOptions(1, 100, true);
    // SKIN-STEP 5: SkinIconButton(按钮5, 按钮6, 按钮7, 按钮8, 按钮9).
    // SKIN-STEP 6: SkinImageButton(按钮1, 按钮3, 按钮2; picture, 1, 1).
    // SKIN-STEP 7: SetControlTextColour(按钮1, 按钮2, 按钮3; 0x0000D8D8).
}

}  // namespace orv
