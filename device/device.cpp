#include "device/render_device.h"

#include "device/worker_pool.h"
#include "platform/core/win32.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>

FrameRateState frameRate;

namespace {

// The caption and the failure texts of the device's message boxes ("Call
// to create bitmap failed", "Call to allocate depth buffer failed") are kept
// as the program has always written them: other tools and tests look for
// these exact texts. The shell's own message boxes share the caption
// (app/resource.h).
constexpr const char* kMessageCaption = "Application Message";

// Client sizes are rounded down to a multiple of 4 so that a row of 3-byte
// pixels fills whole 32-bit words and the bitmap's rows carry no padding.
std::int32_t roundDownToFour(std::int32_t size) {
    return size - size % 4;
}

// The frame size a client rectangle gives: both sides rounded down to a
// multiple of 4, or 0 x 0 when either side rounds to nothing (a minimized
// or collapsed window).
void frameSizeFor(const RECT& client, std::int32_t& width, std::int32_t& height) {
    width = roundDownToFour(client.right - client.left);
    height = roundDownToFour(client.bottom - client.top);
    if (width < 4 || height < 4) {
        width = 0;
        height = 0;
    }
}

// The whole frame as a rectangle.
FrameBox wholeFrame(const RenderDevice& device) {
    return FrameBox{0, 0, device.width, device.height};
}

// True when the damage rectangles describe the device's current frame.
bool damageDescribesFrame(const RenderDevice& device) {
    const FrameDamage& d = device.damage;
    return device.damageTracking && d.bitmap == device.bitmap && device.bitmap != nullptr &&
           d.colorBits == device.colorBits && d.depthBuffer == device.depthBuffer.get() &&
           d.width == device.width && d.height == device.height;
}

// Makes the damage describe the current frame. A frame it did not describe
// (new, set up by hand, or tracking switched off) may hold anything
// anywhere, and the window has seen none of it.
void syncDamage(RenderDevice& device) {
    if (damageDescribesFrame(device)) {
        return;
    }
    FrameDamage& d = device.damage;
    d = FrameDamage{};
    d.drawn = wholeFrame(device);
    d.unshown = wholeFrame(device);
    d.overlayUnshown = wholeFrame(device);
    d.bitmap = device.bitmap;
    d.colorBits = device.colorBits;
    d.depthBuffer = device.depthBuffer.get();
    d.width = device.width;
    d.height = device.height;
}

// Below this many bytes a clear runs on the calling thread; from it on, its
// rows are shared out between the device's worker threads (each row zeroed
// by one of them): the clear of a big frame is the one part of a frame's
// drawing that is all memory traffic. Waking the workers costs about as much
// as zeroing a few megabytes: with a 2 MB threshold the program's whole
// frame at 1920 x 1080 took twice as long on two threads as on one.
constexpr std::int64_t kSharedClearBytes = std::int64_t{1} << 23;
// While the workers are awake (still spinning after the last jobs, as
// between the frames of a big mesh) nobody has to be woken, and a clear is
// shared from this many bytes on: the mesh benchmark's sphere of 81 920
// triangles at 1920 x 1080 clears a box of 4.8 MB every frame, which one
// thread zeroed while the other waited.
constexpr std::int64_t kSharedClearBytesAwake = std::int64_t{1} << 20;

// Runs zero(first, end) over [0, count), in one piece or in one piece per
// worker thread when `bytes` are worth sharing.
template <typename Zero>
void shareOut(RenderDevice& device, std::int64_t bytes, std::int64_t count, Zero zero) {
    const bool awake = device.workerPool != nullptr && device.workerPool->workersAwake();
    const bool worth = bytes >= kSharedClearBytes || (awake && bytes >= kSharedClearBytesAwake);
    WorkerPool* pool = worth ? device.workers() : nullptr;
    if (pool == nullptr) {
        zero(std::int64_t{0}, count);
        return;
    }
    const std::int32_t tasks = pool->size();
    auto job = [&](std::int32_t task, std::int32_t /*worker*/) {
        zero(count * task / tasks, count * (task + 1) / tasks);
    };
    pool->run(tasks, job);
}

// Zeroes both buffers whole: one fill per buffer (or per thread's piece of
// it) rather than one per row.
void zeroWholeFrame(RenderDevice& device) {
    const auto pixels = static_cast<std::int64_t>(device.width) * device.height;
    const std::int64_t bytes = std::int64_t{device.frameBytes} + pixels * 4;
    const std::int64_t colorBytes = device.frameBytes;
    if (pixels <= 0) {
        std::memset(device.colorBits, 0, device.frameBytes);
        return;
    }
    shareOut(device, bytes, pixels, [&](std::int64_t first, std::int64_t end) {
        const std::int64_t from = colorBytes * first / pixels;
        const std::int64_t to = colorBytes * end / pixels;
        std::memset(device.colorBits + from, 0, static_cast<std::size_t>(to - from));
        std::fill_n(device.depthBuffer.get() + first, end - first, 0.0f);
    });
}

// Zeroes the rectangle's pixels (and depths when `depthToo`), row by row.
void zeroRect(RenderDevice& device, const FrameBox& r, bool depthToo) {
    if (r.empty()) {
        return;
    }
    const auto colorBytes = static_cast<std::size_t>(r.width()) * device.bytesPerPixel;
    const auto depthCount = static_cast<std::size_t>(r.width());
    const auto bytes = static_cast<std::int64_t>(r.height()) *
                       static_cast<std::int64_t>(colorBytes + (depthToo ? 4 * depthCount : 0));
    shareOut(device, bytes, r.height(), [&](std::int64_t first, std::int64_t end) {
        for (auto y = static_cast<std::int32_t>(r.top + first); y < r.top + end; ++y) {
            std::memset(device.rowStart + static_cast<std::ptrdiff_t>(y) * device.pitch +
                            static_cast<std::ptrdiff_t>(r.left) * device.bytesPerPixel,
                        0, colorBytes);
            if (depthToo) {
                std::fill_n(device.depthBuffer.get() + static_cast<std::size_t>(y) * device.width +
                                r.left,
                            depthCount, 0.0f);
            }
        }
    });
}

} // namespace

RenderDevice::RenderDevice() : renderThreads(defaultRenderThreads()) {
    identity(inverseWorldMatrix);
    identity(worldMatrix);
    identity(viewMatrix);
    nearPlane = DefaultProjection::kNear;
    farPlane = DefaultProjection::kFar;
    perspective(projectionMatrix, DefaultProjection::kHalfAngle, DefaultProjection::kHalfAngle,
                DefaultProjection::kAspect, DefaultProjection::kNear, DefaultProjection::kFar);
}

RenderDevice::~RenderDevice() {
    if (bitmap != nullptr) {
        DeleteObject(bitmap);
    }
}

void RenderDevice::setRenderThreads(std::int32_t threads) {
    const std::int32_t count = clampRenderThreads(threads);
    if (count != renderThreads) {
        renderThreads = count;
        workerPool.reset();
    }
}

// A pool that could start no second thread is kept all the same (size 1),
// so a refusing system is asked once, not on every frame.
WorkerPool* RenderDevice::workers() {
    if (renderThreads <= 1) {
        return nullptr;
    }
    if (workerPool == nullptr) {
        try {
            workerPool = std::make_unique<WorkerPool>(renderThreads);
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
    }
    return workerPool->size() > 1 ? workerPool.get() : nullptr;
}

// Forgets the frame: the bitmap and the depth buffer are freed and every
// size reads 0, so a caller checking either hasFrame() or the sizes finds
// nothing to draw into.
static void dropFrame(RenderDevice& device) {
    if (device.bitmap != nullptr) {
        DeleteObject(device.bitmap);
    }
    device.bitmap = nullptr;
    device.colorBits = nullptr;
    device.rowStart = nullptr;
    device.depthBuffer.reset();
    device.width = 0;
    device.height = 0;
    device.maxX = 0;
    device.maxY = 0;
    device.pitch = 0;
    device.frameBytes = 0;
    device.damage = FrameDamage{};
    // The fills' edge tables have a row for every row of the frame: they go
    // with it, so a frame once very tall leaves no tables of its size behind.
    device.rasterScratch.reset();
}

// A failed binding leaves the device unbound (so the next resize tries
// again) but remembers the window, and has no frame.
static bool failBinding(RenderDevice& device, const char* message) {
    dropFrame(device);
    device.bound = false;
    if (message != nullptr) {
        MessageBoxA(nullptr, message, kMessageCaption, MB_OK);
    }
    return false;
}

bool RenderDevice::bind(WindowHandle target) {
    if (bound) {
        return true;
    }
    bound = true;
    window = target;

    clientRect = FrameBox{};
    RECT client{};
    if (!GetClientRect(window, &client)) {
        return failBinding(*this, nullptr);
    }
    clientRect = FrameBox{client.left, client.top, client.right, client.bottom};
    frameSizeFor(client, width, height);
    clientRect.right = clientRect.left + width;
    clientRect.bottom = clientRect.top + height;
    bytesPerPixel = 3;

    if (width == 0) {
        // Nothing to show (the window is minimized): bound, but frameless
        // until a resize brings back a usable client area.
        dropFrame(*this);
        return true;
    }

    // frameBytes is 32 bits wide; a frame that would not fit is refused
    // like a bitmap the platform cannot create.
    const std::uint64_t rowBytes = std::uint64_t{3} * static_cast<std::uint32_t>(width);
    const std::uint64_t totalBytes = rowBytes * static_cast<std::uint32_t>(height);
    if (totalBytes > UINT32_MAX) {
        return failBinding(*this, "Call to create bitmap failed");
    }

    HDC dc = GetDC(window);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height; // positive: bottom-up
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(window, dc);
    if (bitmap == nullptr || bits == nullptr) {
        return failBinding(*this, "Call to create bitmap failed");
    }

    colorBits = static_cast<std::uint8_t*>(bits);
    rowStart =
        colorBits + static_cast<std::size_t>(rowBytes) * static_cast<std::size_t>(height - 1);
    pitch = -3 * width;
    frameBytes = static_cast<std::uint32_t>(totalBytes);
    std::memset(colorBits, 255, frameBytes);

    const std::size_t depthCount =
        static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    depthBuffer.reset(new (std::nothrow) float[depthCount]);
    if (depthBuffer == nullptr) {
        return failBinding(*this, "Call to allocate depth buffer failed");
    }

    maxX = width - 1;
    maxY = height - 1;
    return true;
}

void RenderDevice::release() {
    bound = false;
    window = nullptr;
    if (bitmap != nullptr) {
        DeleteObject(bitmap);
    }
    bitmap = nullptr;
    colorBits = nullptr;
    rowStart = nullptr;
    depthBuffer.reset();
    damage = FrameDamage{};
    pipelineScratch.reset();
    rasterScratch.reset();
    workerPool.reset();
    lightFlags = 0;
    ambientLight = nullptr;
    directionalLight = nullptr;
    ambientLightColor = Color3{};
    directionalLightColor = Color3{};
    pointLight = nullptr;
    spotLight = nullptr;
    material = nullptr;
}

bool RenderDevice::resize() {
    if (window == nullptr) {
        return false;
    }
    RECT client{};
    if (!GetClientRect(window, &client)) {
        return false;
    }
    std::int32_t newWidth = 0;
    std::int32_t newHeight = 0;
    frameSizeFor(client, newWidth, newHeight);
    if (bound && newWidth == width && newHeight == height) {
        return true;
    }
    dropFrame(*this);
    bound = false;
    return bind(window);
}

// Only what the last frame wrote is zeroed: everything else is zero
// already. Without damage tracking both buffers are zeroed whole.
void RenderDevice::clear() {
    if (!hasFrame()) {
        return;
    }
    if (!damageTracking) {
        damage = FrameDamage{}; // describes no frame: switched on again, it starts afresh
        zeroWholeFrame(*this);
        return;
    }
    syncDamage(*this);
    if (damage.drawn == wholeFrame(*this)) {
        zeroWholeFrame(*this); // one fill per buffer rather than one per row
    } else {
        zeroRect(*this, damage.drawn, true);
    }
    zeroRect(*this, damage.overlay, false);
    damage.unshown = unite(damage.unshown, damage.drawn);
    damage.overlayUnshown = unite(damage.overlayUnshown, damage.overlay);
    damage.drawn = FrameBox{};
    damage.overlay = FrameBox{};
    damage.overlayOnce = false;
}

// The window gets only the rectangle around what changed since the last
// present; without damage tracking, the whole frame.
void RenderDevice::present() {
    if (!hasFrame()) {
        return;
    }
    // After the window is destroyed GetDC and BitBlt fail and nothing
    // reaches the screen; the calls are harmless on a dead handle.
    HDC windowDc = GetDC(window);
    HDC memoryDc = CreateCompatibleDC(windowDc);
    HGDIOBJ previous = SelectObject(memoryDc, bitmap);
    drawFrameRate(memoryDc);
    FrameBox copy = wholeFrame(*this);
    if (damageTracking) {
        syncDamage(*this);
        FrameDamage& d = damage;
        copy = unite(d.unshown, d.drawn);
        const bool overlayShown = d.overlayOnce && d.shownOnce && d.overlay == d.shownOverlay &&
                                  d.overlayText == d.shownText;
        if (!overlayShown) {
            copy = unite(copy, unite(d.overlayUnshown, d.overlay));
        }
        d.shownOverlay = d.overlay;
        d.shownText = d.overlayText;
        d.shownOnce = d.overlayOnce;
        d.unshown = FrameBox{};
        d.overlayUnshown = FrameBox{};
    } else {
        damage = FrameDamage{};
    }
    BitBlt(windowDc, clientRect.left + copy.left, clientRect.top + copy.top, copy.width(),
           copy.height(), memoryDc, copy.left, copy.top, SRCCOPY);
    SelectObject(memoryDc, previous);
    DeleteDC(memoryDc);
    ReleaseDC(window, windowDc);
}

void RenderDevice::markDrawn(const FrameBox& rect) {
    if (!damageTracking || !hasFrame()) {
        return;
    }
    syncDamage(*this);
    damage.drawn = unite(damage.drawn, intersect(rect, wholeFrame(*this)));
}

void RenderDevice::resendWholeFrame() {
    if (!damageTracking || !hasFrame()) {
        return;
    }
    syncDamage(*this);
    damage.unshown = wholeFrame(*this);
    damage.overlayUnshown = wholeFrame(*this);
    damage.shownOnce = false;
}

int formatFrameRate(char* text, std::size_t size, std::int32_t width, std::int32_t height,
                    float framesPerSecond) {
    if (text == nullptr || size == 0) {
        return 0;
    }
    const int written = std::snprintf(text, size, "%dx%d fps: %3.2f", width, height,
                                      static_cast<double>(framesPerSecond));
    if (written < 0) {
        text[0] = '\0';
        return 0;
    }
    // snprintf reports the length it wanted; the text holds at most size - 1.
    return std::min(written, static_cast<int>(size - 1));
}

// Every character the overlay text can hold: the digits, the size's 'x',
// "fps: ", a sign, the point, and "inf" or "nan" for a rate that is not a
// number. The platform's font makes a character's picture the first time
// it is drawn, so the overlay draws them all once, far outside the frame
// (nothing shows), before its first text: a new rate later is drawn with
// pictures already made, and a steady frame allocates nothing.
constexpr char kOverlayCharacters[] = "0123456789x fps:-.ina";
constexpr int kOutsideAnyFrame = -(1 << 20);

void RenderDevice::drawFrameRate(HDC dc) {
    frameRate.frameCount += 1;
    const DWORD now = timeGetTime();
    const DWORD elapsed = now - frameRate.lastRateTime; // wraps like the clock
    if (elapsed > 1000) {
        frameRate.framesPerSecond = static_cast<float>(static_cast<double>(frameRate.frameCount) /
                                                       static_cast<double>(elapsed) * 1000.0);
        frameRate.lastRateTime = timeGetTime();
        frameRate.frameCount = 0;
    }
    std::array<char, 64> text{};
    const int length =
        formatFrameRate(text.data(), text.size(), width, height, frameRate.framesPerSecond);
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkMode(dc, TRANSPARENT);
    if (!frameRate.charactersDrawn) {
        TextOutA(dc, kOutsideAnyFrame, kOutsideAnyFrame, kOverlayCharacters,
                 static_cast<int>(sizeof kOverlayCharacters - 1));
        frameRate.charactersDrawn = true;
    }
    // The context reports the box the text touched: the overlay's damage.
    SetBoundsRect(dc, nullptr, DCB_ENABLE | DCB_RESET);
    TextOutA(dc, 10, 10, text.data(), length);
    RECT touched{};
    if ((GetBoundsRect(dc, &touched, DCB_RESET) & DCB_SET) != 0 && damageTracking && hasFrame()) {
        syncDamage(*this);
        const FrameBox box = intersect(
            FrameBox{touched.left, touched.top, touched.right, touched.bottom}, wholeFrame(*this));
        // A second overlay before the next clear blends over the first.
        damage.overlayOnce = damage.overlay.empty();
        damage.overlay = unite(damage.overlay, box);
        damage.overlayText = text;
    }
    SetBoundsRect(dc, nullptr, DCB_DISABLE);
}
