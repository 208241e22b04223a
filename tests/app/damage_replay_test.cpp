// Damage tracking changes no byte: one long scripted run of the program,
// replayed with tracking switched off (every clear zeroes both buffers
// whole, every present copies the whole frame), must leave the same window
// picture, the same bitmap and the same depth buffer after every pass.
//
// The script walks through what changes a frame's damage: every fill
// style, camera turns that sweep the polyhedron into every corner (under
// the overlay, partly off the frame), pans, drags (one carried past the
// window's edge), Reset, both colour dialogs, resizes larger and smaller,
// sizes that keep the frame but not the client area, a collapsed and a
// minimized 0 x 0 client, a window erased from outside, and the eye walked
// through the polyhedron and back out. The clock moves on by 37 ms a pass,
// so the frame-rate text changes now and then and repeats in between.

#include "app_harness.h"

#include "app/resource.h"

#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace apptest {
namespace {

// What a pass left behind, as hashes: the window's picture, the bitmap and
// the depth buffer; the frame's size; and whether the window shows the
// bitmap where the frame lies.
struct PassRecord {
    std::size_t screen = 0;
    std::size_t bitmap = 0;
    std::size_t depth = 0;
    int width = 0;
    int height = 0;
    bool showsBitmap = true;
};

std::size_t hashBytes(const void* data, std::size_t size) {
    return std::hash<std::string_view>{}(
        std::string_view(static_cast<const char*>(data), data == nullptr ? 0 : size));
}

class DamageReplay : public AppScenario {
  protected:
    using Action = std::function<void()>;

    // The script: what to do at the start of which pass.
    std::multimap<int, Action> script;
    int passes = 0;

    void at(int pass, Action action) { script.emplace(pass, std::move(action)); }
    // One key per pass from `pass` on; returns the pass after the last.
    int keys(int pass, WPARAM key, int count) {
        for (int i = 0; i < count; ++i) {
            at(pass + i, [this, key] { this->key(key); });
        }
        return pass + count;
    }
    int resize(int pass, int width, int height) {
        at(pass, [this, width, height] { backend->resizeClient(appState.window, width, height); });
        return pass + 1;
    }
    int colours(int pass, int command, const char* red, const char* green, const char* blue) {
        at(pass, [this, command, red, green, blue] {
            backend->queueDialogScript([red, green, blue](platform::DialogDriver& d) {
                d.type(IDC_RED, red);
                d.type(IDC_GREEN, green);
                d.type(IDC_BLUE, blue);
                d.pressEnter();
            });
            menu(command);
        });
        return pass + 1;
    }

    void buildScript() {
        int p = 1;
        p += 20;
        // Turns that sweep the polyhedron into each corner and back, under
        // the overlay and partly out of the frame, in each fill style.
        for (int mode : {IDM_FLAT, IDM_GOURAUD, IDM_WIREFRAME}) {
            at(p, [this, mode] { menu(mode); });
            p = keys(p + 1, VK_RIGHT, 14);
            p = keys(p, VK_UP, 11);
            p = keys(p, VK_LEFT, 28);
            p = keys(p, VK_DOWN, 22);
            p = keys(p, VK_RIGHT, 28);
            p = keys(p, VK_UP, 11);
            p = keys(p, VK_LEFT, 14);
            p += 5;
        }
        // Pans and walks, then Reset (rotation only; the camera stays).
        at(p, [this] { menu(IDM_FLAT); });
        p = keys(p + 1, 'X', 30);
        p = keys(p, 'C', 60);
        p = keys(p, 'X', 30);
        p = keys(p, 'Z', 20);
        p = keys(p, 'A', 20);
        at(p++, [this] { menu(IDM_RESET); });
        // A drag on the polyhedron, carried past the window's left edge.
        at(p++, [this] { press(316, 216); });
        for (int x : {330, 360, 420, 500, 600, 300, 100, -40, -200, 200}) {
            at(p++, [this, x] { drag(x, 216 + x / 10); });
        }
        at(p++, [this] { release(200, 236); });
        p += 10;
        // Both colour dialogs, in Gouraud and in flat fill.
        at(p++, [this] { menu(IDM_GOURAUD); });
        p = colours(p + 5, IDM_DIFFUSE_COLOR, "255", "40", "10");
        p = colours(p + 5, IDM_AMBIENT_COLOR, "0", "0", "90");
        at(p++, [this] { menu(IDM_FLAT); });
        p = colours(p + 5, IDM_DIFFUSE_COLOR, "20", "200", "250");
        p += 5;
        // Sizes: larger, smaller, a client size that keeps the frame, a
        // collapsed and a minimized client, and back.
        p = resize(p, 1000, 700) + 8;
        p = resize(p, 1001, 703) + 8; // same frame, larger client: erased around it
        p = resize(p, 100, 80) + 8;
        p = resize(p, 3, 3) + 5;
        p = resize(p, 0, 0) + 5;
        p = resize(p, 633, 435) + 8;
        at(p++, [this] { menu(IDM_GOURAUD); });
        p = resize(p, 632, 434) + 8;
        // The window erased from outside, as when it is uncovered.
        at(p, [this] { InvalidateRect(appState.window, nullptr, TRUE); });
        p += 6;
        // The eye walked through the polyhedron (in wireframe, then Gouraud
        // from inside) and back out.
        at(p++, [this] { menu(IDM_WIREFRAME); });
        p = keys(p, 'A', 55);
        at(p++, [this] { menu(IDM_GOURAUD); });
        p = keys(p, VK_LEFT, 10);
        p = keys(p, 'Z', 60);
        at(p++, [this] { menu(IDM_FLAT); });
        p += 20;
        passes = p;
    }

    PassRecord record() const {
        PassRecord r;
        const platform::ImageView view = backend->screen(appState.window);
        r.screen = hashBytes(view.bgr, static_cast<std::size_t>(view.stride) * view.height);
        const RenderDevice* device = appState.device.get();
        if (device != nullptr && device->hasFrame()) {
            r.width = device->width;
            r.height = device->height;
            r.bitmap = hashBytes(device->colorBits, device->frameBytes);
            r.depth = hashBytes(device->depthBuffer.get(),
                                sizeof(float) * static_cast<std::size_t>(device->width) *
                                    static_cast<std::size_t>(device->height));
            r.showsBitmap = view.width >= device->width && view.height >= device->height;
            const auto rowBytes = static_cast<std::size_t>(device->width) * 3;
            for (int y = 0; r.showsBitmap && y < device->height; ++y) {
                r.showsBitmap = std::memcmp(device->rowStart + y * device->pitch,
                                            view.bgr + static_cast<std::ptrdiff_t>(y) * view.stride,
                                            rowBytes) == 0;
            }
        }
        return r;
    }

    // Runs the script with damage tracking on or off; one record per pass.
    std::vector<PassRecord> replay(bool tracking, int* framesWithPartialDamage) {
        startFresh();
        clockMs = 5000;
        std::vector<PassRecord> records;
        run(passes, [&](int pass) {
            clockMs += 37;
            if (pass == 0) {
                appState.device->damageTracking = tracking;
            } else {
                records.push_back(record());
                const RenderDevice& device = *appState.device;
                const FrameBox& drawn = device.damage.drawn;
                if (tracking && !drawn.empty() &&
                    drawn.width() * drawn.height() < device.width * device.height / 2) {
                    ++*framesWithPartialDamage;
                }
            }
            auto [from, to] = script.equal_range(pass);
            for (auto it = from; it != to; ++it) {
                it->second();
            }
        });
        return records;
    }
};

TEST_F(DamageReplay, LeavesEveryPassByteForByteAsAFullClearAndCopy) {
    buildScript();
    ASSERT_GT(passes, 600);
    int unusedCount = 0;
    int partial = 0;
    const std::vector<PassRecord> whole = replay(false, &unusedCount);
    const std::vector<PassRecord> tracked = replay(true, &partial);

    ASSERT_EQ(whole.size(), tracked.size());
    ASSERT_EQ(whole.size(), static_cast<std::size_t>(passes));
    for (std::size_t i = 0; i < whole.size(); ++i) {
        ASSERT_EQ(whole[i].width, tracked[i].width) << "frame " << i;
        ASSERT_EQ(whole[i].height, tracked[i].height) << "frame " << i;
        ASSERT_EQ(whole[i].screen, tracked[i].screen) << "window picture after frame " << i;
        ASSERT_EQ(whole[i].bitmap, tracked[i].bitmap) << "bitmap after frame " << i;
        ASSERT_EQ(whole[i].depth, tracked[i].depth) << "depth buffer after frame " << i;
        ASSERT_TRUE(tracked[i].showsBitmap) << "the window shows the bitmap after frame " << i;
    }

    // The run went where the script says: a large frame, a small one, no
    // frame at all, and mostly frames whose damage is a small part.
    bool large = false, small = false, frameless = false;
    for (const PassRecord& r : tracked) {
        large = large || r.width >= 1000;
        small = small || (r.width > 0 && r.width <= 100);
        frameless = frameless || r.width == 0;
    }
    EXPECT_TRUE(large);
    EXPECT_TRUE(small);
    EXPECT_TRUE(frameless);
    EXPECT_GT(partial, passes / 2);
}

} // namespace
} // namespace apptest
