// Backing tracks handed to the window (dropped on it, or given to a second
// start): listened to off the window's thread, with progress in the caption,
// then the key told in a message box, ready to be added to the catalogue.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "app/AppContext.h"
#include "app/TrackJob.h"
#include "app/TrackTexts.h"

namespace orv {

class Win32Runtime;

class TrackKeys {
public:
    TrackKeys(AppContext& app, Win32Runtime& rt) : app_(app), rt_(rt) {}
    TrackKeys(const TrackKeys&) = delete;
    TrackKeys& operator=(const TrackKeys&) = delete;

    // Files and folders to listen to; while a job runs they wait their turn.
    void Take(std::vector<std::wstring> paths);
    // Esc: stops the running job. False when none runs (the key is not used).
    bool StopByUser();
    // The window closes: nothing may run on.
    void StopAndWait();

private:
    void StartNext();
    void OnProgress(int next, int total);
    void OnDone(TrackJobResult result);
    void TellOne(const TrackJobResult::Track& track);
    void TellSeveral(const TrackJobResult& result);
    std::optional<CatalogueMatch> FindInCatalogue(const std::string& title);
    void RestoreCaption();

    AppContext& app_;
    Win32Runtime& rt_;
    TrackJob job_;
    std::deque<std::vector<std::wstring>> waiting_;
    std::optional<std::string> caption_;  // the window's own, while progress shows instead
};

}  // namespace orv
