// The key a catalogue entry names, read from the entry's GBK text as users
// write it: "降B调", "#F调", "F#", "Em", "e调", "1=bE", "Ｃ调", "Yesterday F".
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orv {

struct SongKey {
    int pitch = 0;  // pitch class of the tonic, C = 0 .. B = 11
    bool minor = false;
    // How the entry spelled the tonic, so that notes can be named the way
    // the entry names them: letter 0..6 for C D E F G A B, accidental -1
    // (flat), 0 or +1 (sharp), and whether the sign came after the letter.
    int letter = 0;
    int accidental = 0;
    bool accidentalAfter = false;
};

// The first key written in entry, or none. A letter inside a word is never a
// key; a key that is only letters and signs ("Eb", "Em", "F") counts only as
// the entry's last word or before 转, while 调, 升/降 and "1=" mark a key
// anywhere. A lower-case letter is a key only with 调 or after "1=", and is
// major unless m or 小调 says otherwise.
std::optional<SongKey> ReadSongKey(std::string_view entry);

// The major key on pitch class majorPitch (C = 0) as catalogues write it,
// before its 调: the sign before the letter, sharps for the sharp keys and
// 降 for the flat ones ("C", "#F", "降B", "降D"). ReadSongKey reads it back.
std::string CatalogueKeyName(int majorPitch);

}  // namespace orv
