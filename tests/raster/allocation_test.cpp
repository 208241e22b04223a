// When a fill cannot have its memory (its working memory on the first call,
// its edge tables on any), it draws nothing, throws nothing and leaks
// nothing; the next call draws normally. Each of a fill's allocations is
// made to fail in turn, through the shared allocation hook.
#include "raster/raster.h"
#include "test_frame.h"
#include "tests/support/allocation_hook.h"

#include <gtest/gtest.h>

namespace {

TEST(FillAllocation, AnyFailureDrawsNothingAndTheNextCallDraws) {
    for (auto fill : {fillFlat, fillGouraud}) {
        long failed = 0;
        for (long n = 0;; ++n) {
            TestFrame frame(8, 8);
            const ScreenPolygonList list = listOf(
                {polygonOf({pt(0, 0, 1, 1), pt(0, 4, 1, 1), pt(4, 4, 1, 1), pt(4, 0, 1, 1)})});
            allocation_hook::failCountdown = n;
            fill(frame.device, list);
            const bool reached = allocation_hook::failCountdown < 0;
            allocation_hook::disarm();
            if (!reached) {
                // The fill made fewer than n + 1 allocations: all were tried.
                EXPECT_EQ(frame.written(), block(0, 0, 4, 4));
                break;
            }
            ++failed;
            EXPECT_TRUE(frame.written().empty()) << "allocation " << n;
            EXPECT_EQ(frame.depth(1, 1), 0.0f);
            fill(frame.device, list);
            EXPECT_EQ(frame.written(), block(0, 0, 4, 4)) << "after allocation " << n << " failed";
        }
        EXPECT_GE(failed, 2) << "the working memory and the edge tables";
    }
}

} // namespace
