// A song's title from what a backing track's file or tag calls it. Singers'
// files carry the artist, the track number and words that say what kind of
// recording it is (伴奏, Instrumental, 升调版 ...): the catalogue wants the
// song's name alone, as a user would type it.
#pragma once

#include <string>
#include <string_view>

namespace orv {

// The title without an artist before " - ", without track numbers, and
// without the markers of an accompaniment or of a transposed version (whole
// bracketed groups that hold only such markers go with them). Falls back to
// the name as given, trimmed, when nothing would be left.
std::u16string CleanTrackTitle(std::u16string_view name);

// The file name of a path (either slash), without its extension.
std::u16string FileStem(std::u16string_view path);

}  // namespace orv
