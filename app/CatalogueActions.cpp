#include "app/CatalogueActions.h"

#include "app/MainLayout.h"
#include "catalogue/CatalogueEditing.h"
#include "catalogue/KeyHint.h"
#include "catalogue/SongKey.h"

namespace orv {


void SearchCatalogue(AppContext& app)
{
    app.rt->PlaySoundData(app.clickSound, false);
    const std::string keyword = app.rt->Content(kEdit2);
    if (keyword.empty()) {
        app.showMessageBox(app.rt->ControlHandle(kMainWindow), ProgramText(kTextEmptyKeyword).c_str(),
                           kEmptyKeywordStyle, nullptr);
        return;
    }
    // The lines as read at start-up: additions and deletions of this run
    // reach the search after the next start, as the notice tells the user.
    ShowSearchResults(*app.rt, app.catalogue, keyword, app.lists.display);
}

void AddEntry(AppContext& app)
{
    app.rt->PlaySoundData(app.clickSound, false);
    const std::string text = app.rt->Content(kEdit2);
    if (text.empty()) {
        app.rt->StandardMessageBox(ProgramText(kTextEmptyName));
        return;
    }
    AddEntryToLists(*app.rt, app.lists, text);
}

void DeleteEntry(AppContext& app)
{
    int answer = app.showMessageBox(app.rt->ControlHandle(kMainWindow), ProgramText(kTextConfirmDelete).c_str(),
                                    kConfirmDeleteStyle, nullptr);
    if (answer != kAnswerYes) return;
    DeleteSelectedEntry(*app.rt, app.lists);
}

// Read at each move over an entry, never ahead: the start-up does not pay
// for a catalogue's worth of keys.
void ShowSongKeyHint(AppContext& app, int x, int y)
{
    const int list = app.lists.display;
    const int index = app.rt->ListItemAt(list, x, y);
    const std::optional<SongKey> key = index < 0 ? std::nullopt : ReadSongKey(app.rt->ListText(list, index));
    app.rt->HoverHint(app.rt->ControlHandle(list), key ? KeyHintText(*key) : std::string(), true, false);
}

}  // namespace orv
