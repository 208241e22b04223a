// Menus and check marks, resource lookup, and the clock.
#include "platform_fixture.h"

namespace octaspin_test {
namespace {

using MenusTest = PlatformTest;

// The check marks of the Render pop-up as the backend last heard them.
std::vector<bool> renderChecks(const platform::HeadlessBackend& backend, HWND window) {
    std::vector<bool> checks;
    const std::vector<platform::MenuPopupView>* bar = backend.menuBar(window);
    if (bar != nullptr && bar->size() > 1) {
        for (const platform::MenuItemView& item : (*bar)[1].items) {
            checks.push_back(item.checked);
        }
    }
    return checks;
}

TEST_F(MenusTest, ClassMenuIsLoadedFromTheModule) {
    HWND window = openMain();
    HMENU bar = GetMenu(window);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(GetMenuItemCount(bar), 2);
    HMENU render = GetSubMenu(bar, 1);
    ASSERT_NE(render, nullptr);
    EXPECT_EQ(GetMenuItemCount(render), 5);
    EXPECT_EQ(GetMenuState(render, 3, MF_BYPOSITION), static_cast<UINT>(MF_SEPARATOR));
    EXPECT_EQ(GetMenuState(bar, 1, MF_BYPOSITION), (5u << 8) | MF_POPUP);
    const auto* view = backend.menuBar(window);
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->size(), 2u);
    EXPECT_EQ((*view)[1].text, "&Render");
    EXPECT_EQ((*view)[1].items[2].id, kMenuGouraud);
}

struct CheckStep {
    UINT position;
    UINT flags;
    DWORD previous;
    std::vector<bool> after; // the five items of the Render pop-up
};

TEST_F(MenusTest, CheckMarksMoveByPositionAndReportThePreviousState) {
    HWND window = openMain();
    HMENU render = GetSubMenu(GetMenu(window), 1);
    // The program's sequence: select Flat, then Gouraud, then Gouraud again.
    const std::vector<CheckStep> steps{
        {0, MF_BYPOSITION | MF_UNCHECKED, MF_UNCHECKED, {false, false, false, false, false}},
        {1, MF_BYPOSITION | MF_CHECKED, MF_UNCHECKED, {false, true, false, false, false}},
        {1, MF_BYPOSITION | MF_UNCHECKED, MF_CHECKED, {false, false, false, false, false}},
        {2, MF_BYPOSITION | MF_CHECKED, MF_UNCHECKED, {false, false, true, false, false}},
        {2, MF_BYPOSITION | MF_UNCHECKED, MF_CHECKED, {false, false, false, false, false}},
        {2, MF_BYPOSITION | MF_CHECKED, MF_UNCHECKED, {false, false, true, false, false}},
        {2, MF_BYPOSITION | MF_CHECKED, MF_CHECKED, {false, false, true, false, false}},
    };
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const CheckStep& s = steps[i];
        EXPECT_EQ(CheckMenuItem(render, s.position, s.flags), s.previous) << "step " << i;
        EXPECT_EQ(renderChecks(backend, window), s.after) << "step " << i;
        for (UINT p = 0; p < 5; ++p) {
            bool checked = (GetMenuState(render, p, MF_BYPOSITION) & MF_CHECKED) != 0;
            EXPECT_EQ(checked, s.after[p]) << "step " << i << " item " << p;
        }
    }
}

TEST_F(MenusTest, CheckByCommandSearchesThePopups) {
    HWND window = openMain();
    HMENU bar = GetMenu(window);
    EXPECT_EQ(CheckMenuItem(bar, kMenuFlat, MF_BYCOMMAND | MF_CHECKED),
              static_cast<DWORD>(MF_UNCHECKED));
    EXPECT_EQ(GetMenuState(bar, kMenuFlat, MF_BYCOMMAND), static_cast<UINT>(MF_CHECKED));
    EXPECT_EQ(renderChecks(backend, window), (std::vector<bool>{false, true, false, false, false}));
}

struct BadMenuCase {
    const char* name;
    int subMenuPosition;
    UINT item;
    UINT flags;
};

class BadMenuItemTest : public PlatformTest, public ::testing::WithParamInterface<BadMenuCase> {};

TEST_P(BadMenuItemTest, ItemsThatDoNotExistReportMinusOne) {
    const BadMenuCase& c = GetParam();
    HWND window = openMain();
    HMENU menu = c.subMenuPosition < 0 ? GetMenu(window) : GetSubMenu(GetMenu(window), 1);
    EXPECT_EQ(CheckMenuItem(menu, c.item, c.flags | MF_CHECKED), static_cast<DWORD>(-1));
    EXPECT_EQ(GetMenuState(menu, c.item, c.flags), static_cast<UINT>(-1));
    EXPECT_EQ(renderChecks(backend, window), (std::vector<bool>(5, false)));
}

INSTANTIATE_TEST_SUITE_P(Items, BadMenuItemTest,
                         ::testing::Values(BadMenuCase{"PastTheEnd", 1, 5, MF_BYPOSITION},
                                           BadMenuCase{"Huge", 1, 0xffffffffu, MF_BYPOSITION},
                                           BadMenuCase{"UnknownCommand", -1, 31337, MF_BYCOMMAND}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MenusTest, SubMenusAndMenusOfDestroyedWindowsNameNothing) {
    HWND window = openMain();
    HMENU bar = GetMenu(window);
    HMENU render = GetSubMenu(bar, 1);
    EXPECT_EQ(GetSubMenu(bar, -1), nullptr);
    EXPECT_EQ(GetSubMenu(bar, 2), nullptr);
    EXPECT_EQ(GetSubMenu(render, 0), nullptr); // an item, not a pop-up
    DestroyWindow(window);
    EXPECT_EQ(GetMenuItemCount(bar), -1);
    EXPECT_EQ(CheckMenuItem(render, 1, MF_BYPOSITION | MF_CHECKED), static_cast<DWORD>(-1));
    EXPECT_EQ(GetSubMenu(nullptr, 0), nullptr);
}

// --- Resources --------------------------------------------------------------

struct LookupCase {
    const char* name;
    LPCSTR resourceName;
    bool menuFound;
};

class ResourceLookupTest : public PlatformTest, public ::testing::WithParamInterface<LookupCase> {};

TEST_P(ResourceLookupTest, MenusAreFoundByNameOrNumber) {
    const LookupCase& c = GetParam();
    EXPECT_EQ(module.findMenu(c.resourceName) != nullptr, c.menuFound);
}

INSTANTIATE_TEST_SUITE_P(Names, ResourceLookupTest,
                         ::testing::Values(LookupCase{"ExactName", "TESTMENU", true},
                                           LookupCase{"OtherCase", "testMenu", true},
                                           LookupCase{"UnknownName", "OTHERMENU", false},
                                           LookupCase{"Number", MAKEINTRESOURCEA(kNumberedMenuId),
                                                      true},
                                           LookupCase{"NumberAsText", "#7", true},
                                           LookupCase{"UnknownNumber", MAKEINTRESOURCEA(8), false},
                                           LookupCase{"BadNumberText", "#7x", false},
                                           LookupCase{"Null", nullptr, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MenusTest, NumberedClassMenuIsLoadedToo) {
    WNDCLASSA c{};
    c.lpfnWndProc = recordingProc;
    c.hInstance = instance;
    c.lpszMenuName = MAKEINTRESOURCEA(kNumberedMenuId);
    c.lpszClassName = "Numbered";
    ASSERT_NE(RegisterClassA(&c), 0);
    HWND window = CreateWindowExA(0, "Numbered", "N", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                                  nullptr, instance, nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(GetMenuItemCount(GetMenu(window)), 1);
}

TEST_F(MenusTest, IconsLoadOnceAndUnknownOnesFail) {
    HICON icon = LoadIconA(instance, "TEST_ICON");
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(LoadIconA(instance, "test_icon"), icon);
    EXPECT_EQ(LoadIconA(instance, "NO_ICON"), nullptr);
    EXPECT_EQ(LoadIconA(reinterpret_cast<HINSTANCE>(0x4321), "TEST_ICON"), nullptr);
    EXPECT_NE(LoadIconA(nullptr, IDI_APPLICATION), nullptr);
    EXPECT_NE(LoadCursorA(nullptr, IDC_ARROW), nullptr);
    EXPECT_EQ(LoadCursorA(instance, "NO_CURSOR"), nullptr);
}

TEST_F(MenusTest, ModulesAreRegisteredOnce) {
    EXPECT_EQ(platform::registerModule(module), instance);
    EXPECT_EQ(platform::moduleOf(instance), &module);
    platform::ResourceModule other;
    HINSTANCE second = platform::registerModule(other);
    EXPECT_NE(second, instance);
    EXPECT_EQ(platform::moduleOf(second), &other);
    EXPECT_EQ(platform::moduleOf(nullptr), nullptr);
}

// --- The clock --------------------------------------------------------------

TEST_F(MenusTest, TimeWrapsAsAnUnsigned32BitCount) {
    std::uint64_t fake = 0xFFFFFFFFull - 5;
    platform::setClockForTesting([&fake] { return static_cast<DWORD>(fake); });
    DWORD before = timeGetTime();
    fake += 10;
    DWORD after = timeGetTime();
    EXPECT_LT(after, before);                           // wrapped
    EXPECT_EQ(static_cast<DWORD>(after - before), 10u); // differences stay right
    platform::setClockForTesting(nullptr);
    DWORD a = timeGetTime();
    DWORD b = timeGetTime();
    EXPECT_LE(static_cast<DWORD>(b - a), 1000u); // the real clock runs forward
}

TEST_F(MenusTest, MessagesAreStampedWithTheLayersClock) {
    HWND window = openMain();
    platform::setClockForTesting([] { return DWORD{4242}; });
    PostMessageA(window, WM_USER, 0, 0);
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_REMOVE));
    EXPECT_EQ(msg.time, 4242u);
    platform::resetForTesting(); // also forgets the test clock
    platform::setBackend(&backend);
    EXPECT_NE(timeGetTime(), 4242u);
}

} // namespace
} // namespace octaspin_test
