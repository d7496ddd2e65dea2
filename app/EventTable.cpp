#include "app/EventTable.h"

#include "app/MainLayout.h"

namespace orv {

namespace {

const EventBinding kMainEvents[] = {
    {kMainWindow, EventKind::Created, Handler::MainCreated},
    {kMainWindow, EventKind::QueryClose, Handler::MainQueryClose},
    {kMainWindow, EventKind::Resized, Handler::MainResized},
    {kMainWindow, EventKind::TrayNotify, Handler::MainTrayNotify},
    {kList2, EventKind::ItemSelected, Handler::SyncMasterSelection},
    {kList2, EventKind::DoubleClick, Handler::DeleteEntry},
    {kList2, EventKind::MouseMove, Handler::HintSongKey},
    {kButton1, EventKind::Click, Handler::SearchCatalogue},
    {kButton2, EventKind::Click, Handler::AddEntry},
    {kButton3, EventKind::Click, Handler::SearchScoreImages},
    {kEdit2, EventKind::KeyDown, Handler::KeywordKeyDown},
    {kEdit2, EventKind::FocusGained, Handler::KeywordFocusGained},
    {kButton5, EventKind::MouseMove, Handler::HintRessim},
    {kButton5, EventKind::Click, Handler::OpenRessim},
    {kButton6, EventKind::MouseMove, Handler::HintPellat},
    {kButton6, EventKind::Click, Handler::OpenPellat},
    {kButton7, EventKind::MouseMove, Handler::HintCorvel},
    {kButton7, EventKind::Click, Handler::OpenCorvel},
    {kButton8, EventKind::MouseMove, Handler::HintTamblin},
    {kButton8, EventKind::Click, Handler::OpenTamblin},
    {kButton9, EventKind::Click, Handler::OpenSupportChat},
    {kLabel5, EventKind::MouseMove, Handler::HintChat},
    {kLabel5, EventKind::LeftButtonDown, Handler::OpenSupportChatWithFlash},
};

}  // namespace

EventTable MainEvents() { return {kMainEvents, static_cast<int>(sizeof kMainEvents / sizeof kMainEvents[0])}; }

}  // namespace orv
