// What a singer sets for a song's key: the effect's key button, the notes of
// the scale, and the keys a semitone or a tone away.
#pragma once

#include <string>

#include "catalogue/SongKey.h"

namespace orv {

// Three GBK lines joined by CR LF, e.g. for 降B调:
//   效果器: A#
//   音阶: bB C D bE F G A
//   升降调: -2 G#  -1 A  +1 B  +2 C
// Effects label their key selectors with sharps only, and take a minor song
// on its relative major ("效果器: G (Em)"). The scale is spelled in the key
// signature, its signs placed as the entry placed its own.
std::string KeyHintText(const SongKey& key);

}  // namespace orv
