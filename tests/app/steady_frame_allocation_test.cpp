// A steady frame allocates nothing: after a few warm-up frames in a fill
// style, 1000 passes of the real frame loop (message pump, spin, clear,
// draw, overlay, present to the headless window) make no call to operator
// new, nor to malloc where the hook can see it (not under a sanitizer).
// The second round of each style, after the others ran, must not allocate
// either: nothing grows or shrinks when the style changes back. In the last
// round the clock runs, so the overlay shows new frame rates (and digits
// it has not shown before) every simulated second.

#include "app_harness.h"
#include "tests/support/allocation_hook.h"

#include "app/resource.h"

#include <string>
#include <vector>

namespace apptest {
namespace {

using SteadyFrames = AppScenario;

TEST_F(SteadyFrames, AllocateNothingInAnyFillStyle) {
    constexpr int kWarmUp = 20;
    constexpr int kCounted = 1000;
    constexpr int kRound = kWarmUp + kCounted;
    struct Style {
        std::string name;
        int command;
        bool clockRuns; // by 1 to 13 ms a pass: a new rate about every 140 frames
    };
    const std::vector<Style> styles = {{"flat", IDM_FLAT, false},
                                       {"gouraud", IDM_GOURAUD, false},
                                       {"wireframe", IDM_WIREFRAME, false},
                                       {"flat again", IDM_FLAT, false},
                                       {"gouraud again", IDM_GOURAUD, false},
                                       {"wireframe again", IDM_WIREFRAME, false},
                                       {"flat, new rates shown", IDM_FLAT, true}};
    struct Count {
        long news = 0;
        long mallocs = 0;
        int frames = 0;
    };
    std::vector<Count> counts(styles.size());
    long newsAtStart = 0;
    long mallocsAtStart = 0;
    int framesAtStart = 0;

    // Round r: its menu command at pass r * kRound + 1, counted from the
    // start of pass r * kRound + 1 + kWarmUp to the start of the next round.
    const int passes = static_cast<int>(styles.size()) * kRound + 2;
    run(passes, [&](int pass) {
        const int round = (pass - 1) / kRound;
        const int step = (pass - 1) % kRound;
        if (pass < 1 || round > static_cast<int>(styles.size())) {
            return;
        }
        if (step == 0 && round > 0) {
            Count& c = counts[static_cast<std::size_t>(round - 1)];
            c.news = allocation_hook::allocationsSeen - newsAtStart;
            c.mallocs = allocation_hook::mallocsSeen - mallocsAtStart;
            c.frames = backend->presentCount(appState.window) - framesAtStart;
        }
        if (round == static_cast<int>(styles.size())) {
            return;
        }
        const Style& style = styles[static_cast<std::size_t>(round)];
        if (style.clockRuns) {
            clockMs += 1 + static_cast<DWORD>(pass % 13);
        }
        if (step == 0) {
            menu(style.command);
        } else if (step == kWarmUp) {
            newsAtStart = allocation_hook::allocationsSeen;
            mallocsAtStart = allocation_hook::mallocsSeen;
            framesAtStart = backend->presentCount(appState.window);
        }
    });

    for (std::size_t i = 0; i < styles.size(); ++i) {
        EXPECT_EQ(counts[i].frames, kCounted) << styles[i].name;
        EXPECT_EQ(counts[i].news, 0) << styles[i].name << ": operator new calls";
        EXPECT_EQ(counts[i].mallocs, 0) << styles[i].name << ": malloc calls";
    }
    // The hook does see what the program allocates: its start-up did.
    EXPECT_GT(allocation_hook::allocationsSeen, 0);
    if (allocation_hook::countsMalloc()) {
        EXPECT_GT(allocation_hook::mallocsSeen, allocation_hook::allocationsSeen);
    }
}

} // namespace
} // namespace apptest
