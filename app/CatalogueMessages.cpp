#include "app/CatalogueMessages.h"

#include "app/MainLayout.h"
#include "app/ProgramTexts.h"

namespace orv {

namespace {

void Show(AppContext& app, const std::string& text, UINT style)
{
    app.showMessageBox(app.rt->ControlHandle(kMainWindow), text.c_str(), style, nullptr);
}

std::string Reason(const SaveReport& report)
{
    switch (report.reason) {
    case WriteStatus::DiskFull: return ProgramText(kTextReasonDiskFull);
    case WriteStatus::InUse: return ProgramText(kTextReasonInUse);
    case WriteStatus::FolderNotWritable: return ProgramText(kTextReasonFolder);
    default: return ProgramText(kTextReasonErrorCode) + std::to_string(report.error);
    }
}

}  // namespace

void TellCatalogueUnreadable(AppContext& app)
{
    Show(app,
         ProgramText(kTextCatalogueUnreadable) + "\r\n" + app.catalogue.path + "\r\n" +
             ProgramText(kTextCatalogueUnreadableNote),
         kCatalogueWarningStyle);
}

void TellSaveReport(AppContext& app, const SaveReport& report)
{
    switch (report.outcome) {
    case SaveOutcome::Saved:
    case SaveOutcome::NothingToKeep:
        return;
    case SaveOutcome::MovedToPerUser:
        return Show(app,
                    ProgramText(kTextCatalogueMoved) + "\r\n" + report.path + "\r\n" +
                        ProgramText(kTextCatalogueMovedNote),
                    kCatalogueNoticeStyle);
    case SaveOutcome::KeptAside:
        return Show(app, ProgramText(kTextCatalogueKeptAside) + "\r\n" + report.path, kCatalogueWarningStyle);
    case SaveOutcome::Failed:
        return Show(app, ProgramText(kTextSaveFailed) + "\r\n" + Reason(report), kCatalogueWarningStyle);
    }
}

}  // namespace orv
