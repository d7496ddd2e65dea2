#include "app/SkinSetup.h"

#include "app/MainLayout.h"
#include "resources/Resources.h"
#include "skin/BackgroundPreparation.h"
#include "skin/SkinEngine.h"

namespace orv {

namespace {

constexpr int kBackgroundRightAligned = 1;  // the background's layout mode

}  // namespace

void PrepareMainWindowBackground()
{
    const std::string_view picture = StoredBytes(IDR_BACKGROUND);
    PrepareBackgroundAhead(std::string(picture), kBackgroundRightAligned);
}

void ApplyMainWindowSkin(AppContext& app)
{
    if (!app.skin) return;
    // 2. The frame: title bar 1, resizable 0, caption 0 (the picture carries
    //    the artwork), the background picture right-aligned (layout mode 1).
    app.skin->SkinWindow(app.rt->ControlHandle(0), {}, Given(1), Given(0), {}, {}, Given(0), {}, {}, {},
                         Given(StoredBytes(IDR_BACKGROUND)), Given(kBackgroundRightAligned));
    // 3. The page frame and the two group boxes become see-through panels
    //    washed in the default back colour, asked afresh for each.
    for (int unit : {kTab1, kGroup1, kGroup2})
        app.skin->SkinControl(app.rt->ControlHandle(unit), {}, Given(app.rt->DefaultBackColour()), Given(100),
                              Given(1));
    // 4. Control skinning on, background alpha 100 given, track style not given.
    app.skin->SetControlSkinOptions(1, 100, true);
    // 5. The sibling-tool and chat buttons show their pictures at natural
    //    size, with no pictures of their own for the other states.
    const struct {
        int unit;
        int picture;
    } iconButtons[] = {{kButton5, IDR_TOOL_RESSIM}, {kButton6, IDR_TOOL_PELLAT}, {kButton7, IDR_TOOL_CORVEL},
                       {kButton8, IDR_TOOL_TAMBLIN}, {kButton9, IDR_CHAT}};
    for (const auto& b : iconButtons) app.skin->SkinIconButton(app.rt->ControlHandle(b.unit), StoredBytes(b.picture));
    // 6. The search row: picture beside the caption; option 1 given, no tip.
    const struct {
        int unit;
        int picture;
    } imageButtons[] = {{kButton1, IDR_SEARCH}, {kButton3, IDR_REMOTE_SEARCH}, {kButton2, IDR_SAVE}};
    for (const auto& b : imageButtons)
        app.skin->SkinImageButton(app.rt->ControlHandle(b.unit), StoredBytes(b.picture), 1, Given(1));
    // 7. Their captions in yellow (red 216, green 216, blue 0).
    for (int unit : {kButton1, kButton2, kButton3})
        app.skin->SetControlTextColour(app.rt->ControlHandle(unit), 0x0000D8D8);
}

}  // namespace orv
