// The compiled-in resources as the platform shows them: the menu bar of the
// main window, the dialogs as they open, and the icon's picture.

#include "app_harness.h"

#include "app/argv_options.h"
#include "app/resource.h"
#include "app/resource_script.h"

#include <algorithm>
#include <array>
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
        bool grayed = false;
    };
    // With the demo shown, Model Colors has no colours to switch to.
    const std::vector<std::pair<std::string, std::vector<Item>>> expected = {
        {"&File",
         {{"&Open...\tCtrl+O", 40010, false},
          {"&Save Image...\tCtrl+S", 40011, false},
          {"&Cancel Loading\tEsc", 40014, false},
          {"&Reset", 40007, false},
          {"", 0, true},
          {"E&xit", 40003, false}}},
        {"&Render",
         {{"&Wireframe", 40006, false},
          {"&Flat", 40004, false},
          {"&Gouraud", 40005, false},
          {"", 0, true},
          {"&Diffuse Color", 40008, false},
          {"&Ambient Color", 40009, false},
          {"", 0, true},
          {"&Model Colors", 40013, false, true}}},
        {"&View", {{"&Fit\tF", 40012, false}}},
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
                EXPECT_EQ(item.grayed, want.grayed) << item.text;
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

// octaspin --help and --version answer; the first of them counts; the first
// other argument names a model, and the rest are ignored. The version is
// the one the About box shows.
TEST(CommandLine, AnswersHelpAndVersionAndIgnoresTheRest) {
    const platform::DialogTemplateResource* about =
        octaspinResources().findDialog(MAKEINTRESOURCEA(IDD_ORVANDEABOUT));
    ASSERT_NE(about, nullptr);
    const std::string& credit = about->controls[2].text;
    const std::size_t from = credit.find("Version ");
    ASSERT_NE(from, std::string::npos);
    const std::string version =
        "octaspin " + credit.substr(from + 8, credit.find('\n', from) - from - 8) + "\n";

    const auto answer = [](std::vector<std::string> arguments) {
        return commandLineAnswer(arguments).value_or("(none)");
    };
    const std::string help = answer({"--help"});
    EXPECT_EQ(help.rfind("usage: octaspin [FILE]\n       octaspin [--help | --version]\n", 0), 0u);
    for (const char* mentioned : {"arrow keys", "mouse", "octaspin-headless"}) {
        EXPECT_NE(help.find(mentioned), std::string::npos) << mentioned;
    }
    EXPECT_EQ(answer({"--version"}), version);
    EXPECT_EQ(answer({"-x", "--version", "--help"}), version);
    EXPECT_EQ(answer({"anything", "--help", "--version"}), help);
    for (const std::vector<std::string>& ignored :
         {std::vector<std::string>{}, {"--helpme"}, {"-help"}, {"--Version"}, {"", "-"}}) {
        EXPECT_EQ(answer(ignored), "(none)") << ignored.size();
    }
    // The first argument that is no option names a model; "--" ends the
    // options.
    EXPECT_EQ(modelArgument({}), "");
    EXPECT_EQ(modelArgument({"--fast", "a b.obj", "c.obj"}), "a b.obj");
    EXPECT_EQ(modelArgument({"-", "--help"}), "-");
    EXPECT_EQ(modelArgument({"--", "--help"}), "--help");
    EXPECT_EQ(answer({"--", "--help"}), "(none)");
}

// The window icon is pinned pixel for pixel: the larger installed icons
// come from the same drawing code, which must leave this one as it was.
TEST(Icon, WindowIconIsThePinnedPicture) {
    const platform::IconResource* icon = octaspinResources().findIcon(ORVANDE_ICON);
    ASSERT_NE(icon, nullptr);
    const std::array<COLORREF, 16> palette = {
        0xC0C0C0, 0x003000, 0x092B09, 0x0C3A0C, 0x0F4A0F, 0x125912, 0x166816, 0x197819,
        0x1C871C, 0x1F961F, 0x22A522, 0x26B526, 0x29C429, 0x2CD32C, 0x2FE22F, 0x33F233};
    const char* const rows[platform::IconResource::kSize] = {
        "00000000000000000000000000000000", "00000000000000000000000000000000",
        "00000000000000011000000000000000", "000000000000001e1000000000000000",
        "000000000000001e4100000000000000", "00000000000001eee410000000000000",
        "0000000000001eeee410000000000000", "0000000000001eeee441000000000000",
        "000000000001eeeee444100000000000", "00000000001eeeeee444410000000000",
        "0000000001eeeeeee444410000000000", "0000000001eeeeeeee44441000000000",
        "000000001eeeeeeeee44444100000000", "00000001eeeeeeeee644444100000000",
        "0000001eeeee66666633344410000000", "00000016666666666633333341000000",
        "00000016666666666633333331000000", "00000001666666666333333331000000",
        "00000000166666666333333310000000", "00000000166666666333333100000000",
        "00000000016666666333331000000000", "00000000001666666333331000000000",
        "00000000001666666333310000000000", "00000000000166666333100000000000",
        "00000000000016666331000000000000", "00000000000001666331000000000000",
        "00000000000001663310000000000000", "00000000000000163100000000000000",
        "00000000000000013100000000000000", "00000000000000011000000000000000",
        "00000000000000000000000000000000", "00000000000000000000000000000000",
    };
    EXPECT_EQ(icon->palette, palette);
    const int n = platform::IconResource::kSize;
    for (int y = 0; y < n; ++y) {
        std::string row;
        for (int x = 0; x < n; ++x) {
            row += "0123456789abcdef"[icon->pixels[static_cast<std::size_t>(y * n + x)] & 0x0f];
        }
        EXPECT_EQ(row, rows[y]) << "row " << y;
    }
}

// At every size the icon is a lit octahedron: a solid diamond on a plain
// background, shaded in several greens, brighter above than below, with
// the same shape (its share of the square) as the window icon.
class IconAtSize : public ::testing::TestWithParam<int> {};

TEST_P(IconAtSize, IsAShadedOctahedron) {
    const int n = GetParam();
    const IconPicture icon = drawOctahedronIcon(n);
    ASSERT_EQ(icon.size, n);
    ASSERT_EQ(icon.pixels.size(), static_cast<std::size_t>(n * n));
    auto index = [&](int x, int y) { return icon.pixels[static_cast<std::size_t>(y * n + x)]; };
    for (auto [x, y] : {std::pair{0, 0}, {n - 1, 0}, {0, n - 1}, {n - 1, n - 1}}) {
        EXPECT_EQ(index(x, y), kIconBackground);
    }
    // Solid down the middle from near the top to near the bottom.
    for (int y = n / 8; y < n - n / 8; ++y) {
        EXPECT_NE(index(n / 2 - 1, y), kIconBackground) << y;
    }
    std::set<std::uint8_t> used;
    double upper = 0.0, lower = 0.0;
    int upperCount = 0, lowerCount = 0;
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            const std::uint8_t i = index(x, y);
            ASSERT_LT(i, 16);
            if (i == kIconBackground) {
                continue;
            }
            used.insert(i);
            const COLORREF c = icon.palette[i];
            EXPECT_GE(GetGValue(c), GetRValue(c));
            (y < n / 2 ? upper : lower) += GetGValue(c);
            ++(y < n / 2 ? upperCount : lowerCount);
        }
    }
    EXPECT_GE(used.size(), 4u);
    ASSERT_GT(upperCount, 0);
    ASSERT_GT(lowerCount, 0);
    EXPECT_GT(upper / upperCount, lower / lowerCount);
    // Drawn at the size, not scaled from 32: the solid covers the same
    // share of the square (within the width of its edge pixels), and a
    // larger picture has edge steps finer than the 32-pixel ones.
    const IconPicture small = drawOctahedronIcon(32);
    auto solidShare = [](const IconPicture& p) {
        return static_cast<double>(
                   std::count_if(p.pixels.begin(), p.pixels.end(),
                                 [](std::uint8_t i) { return i != kIconBackground; })) /
               static_cast<double>(p.pixels.size());
    };
    EXPECT_NEAR(solidShare(icon), solidShare(small), 4.0 / 32.0 * solidShare(small));
    if (n > 32 && n % 32 == 0) {
        const int k = n / 32;
        bool finer = false;
        for (int y = 0; y < n && !finer; ++y) {
            for (int x = 0; x < n && !finer; ++x) {
                const bool solid = index(x, y) != kIconBackground;
                const bool scaledSolid =
                    small.pixels[static_cast<std::size_t>((y / k) * 32 + x / k)] != kIconBackground;
                finer = solid != scaledSolid;
            }
        }
        EXPECT_TRUE(finer) << "the " << n << "-pixel icon is the 32-pixel one scaled up";
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, IconAtSize, ::testing::Values(16, 32, 48, 64, 128, 256),
                         [](const auto& info) { return "Size" + std::to_string(info.param); });

TEST(Icon, SizesOutsideTheRangeGiveNoPicture) {
    for (int size : {0, -1, kMaxIconSize + 1}) {
        const IconPicture icon = drawOctahedronIcon(size);
        EXPECT_EQ(icon.size, 0) << size;
        EXPECT_TRUE(icon.pixels.empty()) << size;
    }
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
