// The compiled-in resources as the platform shows them: the menu bar of the
// main window, the dialogs as they open, and the icon's picture.

#include "app_harness.h"

#include "app/resource.h"
#include "app/resource_script.h"

#include <string>

namespace apptest {
namespace {

using Resources = AppScenario;

TEST_F(Resources, MenuBarHasThePopUpsItemsAndIds) {
    std::vector<platform::MenuPopupView> bar;
    run(1, [&](int pass) {
        if (pass == 0) {
            bar = *backend->menuBar(appState.window);
        }
    });
    struct Item {
        std::string text;
        unsigned id;
        bool separator;
    };
    const std::vector<std::pair<std::string, std::vector<Item>>> expected = {
        {"&File", {{"&Reset", 40007, false}, {"E&xit", 40003, false}}},
        {"&Render",
         {{"&Wireframe", 40006, false},
          {"&Flat", 40004, false},
          {"&Gouraud", 40005, false},
          {"", 0, true},
          {"&Diffuse Color", 40008, false},
          {"&Ambient Color", 40009, false}}},
        {"&Help", {{"&About", 40002, false}}},
    };
    ASSERT_EQ(bar.size(), expected.size());
    for (std::size_t p = 0; p < bar.size(); ++p) {
        EXPECT_EQ(bar[p].text, expected[p].first);
        ASSERT_EQ(bar[p].items.size(), expected[p].second.size()) << bar[p].text;
        for (std::size_t i = 0; i < bar[p].items.size(); ++i) {
            const auto& item = bar[p].items[i];
            const Item& want = expected[p].second[i];
            EXPECT_EQ(item.separator, want.separator) << p << "/" << i;
            if (!want.separator) {
                EXPECT_EQ(item.text, want.text);
                EXPECT_EQ(item.id, want.id) << item.text;
            }
        }
    }
}

// Opened dialogs carry their texts; the colour dialog's controls keep the
// template order (green first), the About box its credit and help.
TEST_F(Resources, DialogsOpenWithTheirControlsAndTexts) {
    std::string colorTitle, aboutTitle, okText, aboutOk, contorls, help, credit;
    std::string clickText;
    backend->queueDialogScript([&](platform::DialogDriver& d) {
        colorTitle = d.title();
        okText = d.text(IDOK);
        d.pressEnter();
    });
    backend->queueDialogScript([&](platform::DialogDriver& d) {
        aboutTitle = d.title();
        aboutOk = d.text(IDOK);
        d.pressEnter();
    });
    run(3, [&](int pass) {
        if (pass == 0) {
            menu(IDM_DIFFUSE_COLOR);
            menu(IDM_ABOUT);
        }
    });
    EXPECT_EQ(colorTitle, "Choose Color");
    EXPECT_EQ(okText, "&Ok");
    EXPECT_EQ(aboutTitle, "About");
    EXPECT_EQ(aboutOk, "OK");

    const platform::DialogTemplateResource* color =
        octaspinResources().findDialog(MAKEINTRESOURCEA(IDD_COLORDLG));
    const platform::DialogTemplateResource* about =
        octaspinResources().findDialog(MAKEINTRESOURCEA(IDD_ORVANDEABOUT));
    ASSERT_NE(color, nullptr);
    ASSERT_NE(about, nullptr);
    // Tab order: green, red, blue, then the button.
    std::vector<int> ids;
    for (const auto& control : color->controls) {
        ids.push_back(control.id);
    }
    EXPECT_EQ(ids, (std::vector<int>{1000, 1001, 1002, -1, -1, -1, 1}));
    // The credit: three lines, the program's name first.
    const std::string& creditText = about->controls[2].text;
    EXPECT_EQ(std::count(creditText.begin(), creditText.end(), '\n'), 2);
    EXPECT_EQ(creditText.rfind("Octaspin\n", 0), 0u);
    EXPECT_EQ(about->controls[4].text, "Contorls");
    EXPECT_EQ(about->controls[1].text, ORVANDE_ICON);
}

// The icon is a lit octahedron: a solid diamond on a plain background,
// shaded in several greens, brighter above than below.
TEST(Icon, IsAShadedOctahedron) {
    const platform::IconResource* icon = octaspinResources().findIcon(ORVANDE_ICON);
    ASSERT_NE(icon, nullptr);
    const int n = platform::IconResource::kSize;
    auto index = [&](int x, int y) { return icon->pixels[static_cast<std::size_t>(y * n + x)]; };
    const std::uint8_t background = index(0, 0);
    for (auto [x, y] : {std::pair{n - 1, 0}, {0, n - 1}, {n - 1, n - 1}}) {
        EXPECT_EQ(index(x, y), background);
    }
    // Solid down the middle from near the top to near the bottom.
    for (int y = 4; y < n - 4; ++y) {
        EXPECT_NE(index(15, y), background) << y;
    }
    std::set<std::uint8_t> used;
    double upper = 0.0, lower = 0.0;
    int upperCount = 0, lowerCount = 0;
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            const std::uint8_t i = index(x, y);
            ASSERT_LT(i, 16);
            if (i == background) {
                continue;
            }
            used.insert(i);
            const COLORREF c = icon->palette[i];
            EXPECT_GE(GetGValue(c), GetRValue(c));
            (y < n / 2 ? upper : lower) += GetGValue(c);
            ++(y < n / 2 ? upperCount : lowerCount);
        }
    }
    EXPECT_GE(used.size(), 4u);
    ASSERT_GT(upperCount, 0);
    ASSERT_GT(lowerCount, 0);
    EXPECT_GT(upper / upperCount, lower / lowerCount);
}

// The icon file the Windows build compiles in shows the same picture: read
// back as the platform reads it (a 4-bit bitmap, rows from the bottom, the
// left pixel in the high nibble, then an all-clear transparency mask).
TEST(Icon, FileForTheResourceCompilerCarriesThePicture) {
    const platform::IconResource& icon = *octaspinResources().findIcon(ORVANDE_ICON);
    const std::vector<std::uint8_t> file = iconFile(icon);
    auto u16 = [&](std::size_t at) { return file.at(at) | file.at(at + 1) << 8; };
    auto u32 = [&](std::size_t at) { return u16(at) | u16(at + 2) << 16; };
    const int n = platform::IconResource::kSize;
    // The directory names one 32 x 32 image of 16 colours right after it.
    EXPECT_EQ(u16(0), 0);
    EXPECT_EQ(u16(2), 1);
    ASSERT_EQ(u16(4), 1);
    EXPECT_EQ(file.at(6), n);
    EXPECT_EQ(file.at(7), n);
    EXPECT_EQ(file.at(8), 16);
    const std::size_t image = static_cast<std::size_t>(u32(18));
    ASSERT_EQ(image, 22u);
    ASSERT_EQ(u32(14), file.size() - image);
    EXPECT_EQ(u32(image + 4), n);
    EXPECT_EQ(u32(image + 8), 2 * n); // colour rows and mask rows
    EXPECT_EQ(u16(image + 14), 4);

    const std::size_t palette = image + 40;
    const std::size_t colours = palette + 16 * 4;
    const std::size_t mask = colours + n * n / 2;
    ASSERT_EQ(file.size(), mask + n * n / 8);
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            const std::uint8_t pair =
                file[colours + static_cast<std::size_t>((n - 1 - y) * n + x) / 2];
            const int index = x % 2 == 0 ? pair >> 4 : pair & 0x0f;
            const std::size_t entry = palette + static_cast<std::size_t>(index) * 4;
            const COLORREF shown = RGB(file[entry + 2], file[entry + 1], file[entry]);
            ASSERT_EQ(shown, icon.palette[icon.pixels[static_cast<std::size_t>(y * n + x)]])
                << x << "," << y;
        }
    }
    for (std::size_t i = mask; i < file.size(); ++i) {
        EXPECT_EQ(file[i], 0) << "transparent mask byte " << i - mask;
    }
}

} // namespace
} // namespace apptest
