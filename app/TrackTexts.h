// What the program says about backing tracks it listened to: the result of
// one track in the key hint's terms, the list of a folder's tracks, and why a
// file could not be heard. GBK texts, lines joined by CR LF.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/TrackJob.h"
#include "catalogue/SongKey.h"

namespace orv {

// What the catalogue says of a title: the entry "<title> <key>" (or the
// title alone) found first in the master list.
struct CatalogueMatch {
    std::string entry;
    std::string keyText;            // the entry's key as it is written there ("G调", "Em"); empty: none written
    std::optional<SongKey> key;
};

// The title the catalogue gets: GBK, characters GBK cannot hold left out.
std::string CatalogueTitle(const std::wstring& title);

// The entry a found key makes: "<title> <key>调", the key being the
// signature's major key ("晴天 #F调", "晴天 降B调").
std::string EntryFor(const std::string& title, int signature);

// The tonic as the key hint writes it, the sign first: "E", "#F", "bB".
std::string TonicName(const SongKey& key);

// The major key an entry's key is set as on the effect: a minor key's
// relative major (Em: G).
int SignatureOf(const SongKey& key);

// Semitones from the catalogue's key to the track's, -5..+6.
int SemitonesFrom(int catalogueSignature, int trackSignature);

// The message for one track; match is the catalogue's entry of its title.
std::string SingleTrackText(const std::wstring& path, const TrackReport& report, const std::string& title,
                            const std::optional<CatalogueMatch>& match);

// Why a file gave no answer, in one line, for the list of several.
std::string ShortFailure(const TrackReport& report);

// Progress in the window's caption: "正在分析 3/27 …".
std::string ProgressCaption(int next, int total);

std::string FolderWithoutTracksText(const std::wstring& folder);

extern const char kTrackBoxCaption[];
extern const char kSupportedFormats[];

}  // namespace orv
