// Two builds' first frames side by side: each started from a fresh folder
// holding the same 10,000-entry catalogue and read from the screen at the
// moment bench_startup calls it painted. Prints how many pixels differ (the
// caret's rectangle aside); exits 0 only when none does.
//
//   bench_first_frame.exe OURS-EXE REFERENCE-EXE   (Linux or Windows paths;
//                                                  orvcore.rtl beside each)
#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>

#include "bench/catalogue/BenchCatalogue.h"
#include "catalogue/CatalogueFormat.h"
#include "tests/support/FirstFrame.h"
#include "tests/support/ProcessDriver.h"

namespace {

constexpr int kEntries = 10000;

std::optional<orv::test::Frame> FirstFrameOf(const char* exe, const std::string& catalogue)
{
    orv::test::MovePointerTo(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    orv::test::OrvaneProcess app{exe};
    if (!orv::test::WriteFileBytes(app.CataloguePath(), catalogue) || !app.Launch()) return std::nullopt;
    orv::test::StartState painted;
    // Ten minutes: under an emulator a start takes one or two.
    app.SetPatience(600000);
    if (!orv::test::WaitUntilPainted(app.ProcessId(), kEntries, 600000, &painted)) return std::nullopt;
    orv::test::Frame frame = orv::test::Frame::Of(painted.main);
    PostMessageA(painted.main, WM_CLOSE, 0, 0);
    app.WaitForExit(20000);
    return frame;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_first_frame OURS-EXE REFERENCE-EXE\n");
        return 2;
    }
    const std::string catalogue = orv::JoinCatalogue(orv::bench::MakeEntries(kEntries));
    const auto ours = FirstFrameOf(argv[1], catalogue), reference = FirstFrameOf(argv[2], catalogue);
    if (!ours || !reference) {
        std::fprintf(stderr, "bench_first_frame: %s never painted\n", ours ? argv[2] : argv[1]);
        return 1;
    }
    const orv::test::FrameDifference d = orv::test::Compare(*ours, *reference);
    if (!d.sameSize) {
        std::printf("first_frame sizes differ: %dx%d against %dx%d\n", ours->pixels.Width(), ours->pixels.Height(),
                    reference->pixels.Width(), reference->pixels.Height());
        return 1;
    }
    std::printf("first_frame %dx%d differing %d", ours->pixels.Width(), ours->pixels.Height(), d.differing);
    if (d.differing > 0) {
        const orv::test::ScreenRgb a = ours->pixels.At(d.first.x, d.first.y), b = reference->pixels.At(d.first.x, d.first.y);
        std::printf(" first at (%ld,%ld): ours (%d,%d,%d) reference (%d,%d,%d)", d.first.x, d.first.y, a.r, a.g, a.b,
                    b.r, b.g, b.b);
    }
    std::printf("\n");
    return d.differing == 0 ? 0 : 1;
}
