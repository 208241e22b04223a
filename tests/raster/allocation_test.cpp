// When the edge tables cannot be allocated, a fill draws nothing, throws
// nothing and leaks nothing; the next call draws normally. The failure is
// injected by replacing the non-throwing array allocation for this test
// program: armed, it fails the next request.
#include "raster/raster.h"
#include "test_frame.h"

#include <gtest/gtest.h>

#include <new>

namespace {
int failNextArrayAllocations = 0;
} // namespace

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    if (failNextArrayAllocations > 0) {
        --failNextArrayAllocations;
        return nullptr;
    }
    try {
        return ::operator new[](size);
    } catch (...) {
        return nullptr;
    }
}

namespace {

TEST(EdgeTableAllocation, FailureDrawsNothingAndTheNextCallDraws) {
    for (auto fill : {fillFlat, fillGouraud}) {
        TestFrame frame(8, 8);
        const ScreenPolygonList list =
            listOf({polygonOf({pt(0, 0, 1, 1), pt(0, 4, 1, 1), pt(4, 4, 1, 1), pt(4, 0, 1, 1)})});
        failNextArrayAllocations = 1;
        fill(frame.device, list);
        EXPECT_EQ(failNextArrayAllocations, 0) << "the fill asked for its tables";
        EXPECT_TRUE(frame.written().empty());
        EXPECT_EQ(frame.depth(1, 1), 0.0f);
        fill(frame.device, list);
        EXPECT_EQ(frame.written(), block(0, 0, 4, 4));
    }
}

} // namespace
