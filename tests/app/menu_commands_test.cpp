// The menu's commands and the two dialogs, driven through the menu as a
// user would and answered by dialog scripts.

#include "app_harness.h"

#include "app/menu_commands.h"
#include "app/resource.h"

#include <string>

namespace apptest {
namespace {

using MenuCommands = AppScenario;

// Each Render command, from the start (Flat), moves the check mark to its
// item and changes the picture of the same pass.
struct RenderCase {
    const char* name;
    int command;
    std::uint32_t mode;
    int checkedPosition;
};

class RenderCommand : public AppScenario, public ::testing::WithParamInterface<RenderCase> {};

TEST_P(RenderCommand, MovesTheCheckMarkAndChangesThePicture) {
    const RenderCase& c = GetParam();
    Picture flat;
    run(1, [&](int pass) {
        if (pass == 1) {
            flat = screen();
        }
    });
    startFresh();

    Picture shown;
    std::vector<int> checked;
    std::uint32_t mode = 0;
    run(1, [&](int pass) {
        if (pass == 0) {
            menu(c.command);
        }
        if (pass == 1) {
            shown = screen();
            checked = checkedItems(1);
            mode = appState.device->renderMode;
        }
    });
    EXPECT_EQ(mode, c.mode);
    EXPECT_EQ(checked, std::vector<int>{c.checkedPosition});

    const Silhouette f = silhouetteOf(flat);
    const Silhouette s = silhouetteOf(shown);
    switch (c.mode) {
    case RenderMode::Flat:
        // Choosing the marked item again changes nothing.
        EXPECT_EQ(shown, flat);
        break;
    case RenderMode::Gouraud:
        // Same outline, but the colour now varies across each face.
        EXPECT_NE(shown, flat);
        EXPECT_GT(s.colors.size(), 10u);
        EXPECT_NEAR(s.pixels, f.pixels, f.pixels / 50);
        break;
    case RenderMode::Wireframe:
        // Outlines only, in the material's diffuse colour (51, 242, 51).
        EXPECT_NE(shown, flat);
        EXPECT_LT(s.pixels, f.pixels / 5);
        EXPECT_GT(s.pixels, 0);
        EXPECT_EQ(s.colors, std::set<COLORREF>{RGB(51, 242, 51)});
        break;
    default:
        FAIL() << "unexpected mode";
    }
}

INSTANTIATE_TEST_SUITE_P(
    , RenderCommand,
    ::testing::Values(RenderCase{"Gouraud", IDM_GOURAUD, RenderMode::Gouraud, 2},
                      RenderCase{"Wireframe", IDM_WIREFRAME, RenderMode::Wireframe, 0},
                      RenderCase{"FlatAgain", IDM_FLAT, RenderMode::Flat, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MenuCommands, CheckMarkFollowsASequenceOfChoices) {
    const int commands[] = {IDM_GOURAUD, IDM_GOURAUD, IDM_WIREFRAME, IDM_FLAT, IDM_WIREFRAME};
    const int expected[] = {2, 2, 0, 1, 0};
    std::vector<std::vector<int>> seen;
    run(6, [&](int pass) {
        if (pass >= 1) {
            seen.push_back(checkedItems(1));
        }
        if (pass < 5) {
            menu(commands[pass]);
        }
    });
    ASSERT_EQ(seen.size(), 6u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(seen[static_cast<std::size_t>(i)], std::vector<int>{expected[i]}) << i;
    }
}

TEST_F(MenuCommands, ResetRestoresTheStartOrientationAndKeepsTheCamera) {
    Matrix4 afterReset;
    Vec3 eye;
    run(12, [&](int pass) {
        if (pass == 0) {
            key('C');
            press(316, 160);
            drag(356, 180);
            release(356, 180);
        }
        if (pass == 10) {
            menu(IDM_RESET);
        }
        if (pass == 12) {
            afterReset = appState.modelRotation;
            eye = appState.eye;
        }
    });
    // Reset in pass 10, then the spin of passes 10 and 11.
    EXPECT_TRUE(matricesNear(afterReset, spun(2), 0.0f));
    EXPECT_NEAR(eye.x, 5.0, 1e-4);
}

TEST_F(MenuCommands, ResetDuringADragKeepsTheDragGoing) {
    bool dragging = false;
    Matrix4 dragRot;
    run(4, [&](int pass) {
        if (pass == 0) {
            press(316, 160);
            drag(356, 160);
            menu(IDM_RESET);
        }
        if (pass == 3) {
            dragging = appState.dragging;
            dragRot = appState.dragRotation;
        }
    });
    EXPECT_TRUE(dragging);
    EXPECT_TRUE(matricesNear(dragRot, identityMatrix(), 0.0f));
}

// The colour dialog as it opens: the shown values and the field order.
struct OpenCase {
    const char* name;
    int command;
    std::string red, green, blue;
};

class ColorDialogOpens : public AppScenario, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(ColorDialogOpens, ShowsTheColourAsBytes) {
    const OpenCase& c = GetParam();
    std::string red, green, blue, title;
    backend->queueDialogScript([&](platform::DialogDriver& d) {
        title = d.title();
        red = d.text(IDC_RED);
        green = d.text(IDC_GREEN);
        blue = d.text(IDC_BLUE);
        d.pressEnter();
    });
    run(2, [&](int pass) {
        if (pass == 0) {
            menu(c.command);
        }
    });
    EXPECT_EQ(title, "Choose Color");
    EXPECT_EQ(red, c.red);
    EXPECT_EQ(green, c.green);
    EXPECT_EQ(blue, c.blue);
    EXPECT_EQ(backend->abandonedDialogs(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    , ColorDialogOpens,
    ::testing::Values(OpenCase{"Diffuse", IDM_DIFFUSE_COLOR, "51", "242", "51"},
                      OpenCase{"Ambient", IDM_AMBIENT_COLOR, "25", "25", "25"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MenuCommands, OkWithoutEditsStoresTheShownValues) {
    Color3 diffuse, ambient, diffuseProduct, ambientProduct;
    run(3, [&](int pass) {
        if (pass == 0) {
            menu(IDM_DIFFUSE_COLOR);
            menu(IDM_AMBIENT_COLOR);
        }
        if (pass == 2) {
            diffuse = appState.material->diffuse;
            ambient = appState.ambientLight->color;
            diffuseProduct = appState.device->diffuseProduct;
            ambientProduct = appState.device->ambientProduct;
        }
    });
    const float unit = 0.003921569f;
    EXPECT_EQ(diffuse.r, 51 * unit);
    EXPECT_EQ(diffuse.g, 242 * unit);
    EXPECT_EQ(diffuse.b, 51 * unit);
    EXPECT_EQ(ambient.r, 25 * unit);
    EXPECT_EQ(ambient.g, 25 * unit);
    EXPECT_EQ(ambient.b, 25 * unit);
    // The device recomputed its products from the new colours.
    EXPECT_FLOAT_EQ(diffuseProduct.g, 242 * unit);
    EXPECT_FLOAT_EQ(ambientProduct.r, 25 * unit);
}

// What a field's text reads as, confirmed with Ok in the red field of the
// diffuse colour: the first three characters, atoi, clamped to 0..255.
struct FieldCase {
    const char* name;
    std::string text;
    int value;
};

class ColorField : public AppScenario, public ::testing::WithParamInterface<FieldCase> {};

TEST_P(ColorField, ReadsAsTheClampedLeadingNumber) {
    const FieldCase& c = GetParam();
    std::string shownNextTime;
    backend->queueDialogScript([&](platform::DialogDriver& d) {
        d.type(IDC_RED, c.text);
        d.click(IDOK);
    });
    backend->queueDialogScript([&](platform::DialogDriver& d) {
        shownNextTime = d.text(IDC_RED);
        d.pressEnter();
    });
    float red = -1.0f, green = -1.0f;
    run(3, [&](int pass) {
        if (pass == 0) {
            menu(IDM_DIFFUSE_COLOR);
        }
        if (pass == 1) {
            red = appState.material->diffuse.r;
            green = appState.material->diffuse.g;
            menu(IDM_DIFFUSE_COLOR);
        }
    });
    EXPECT_EQ(red, c.value * 0.003921569f);
    EXPECT_EQ(green, 242 * 0.003921569f);
    EXPECT_EQ(shownNextTime, std::to_string(c.value));
    EXPECT_EQ(backend->abandonedDialogs(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    , ColorField,
    ::testing::Values(FieldCase{"Zero", "0", 0}, FieldCase{"One", "1", 1},
                      FieldCase{"Middle", "128", 128}, FieldCase{"Max", "255", 255},
                      FieldCase{"OnlyThreeCharactersCount", "1000", 100},
                      FieldCase{"Negative", "-5", 0}, FieldCase{"Empty", "", 0},
                      FieldCase{"Letters", "abc", 0}, FieldCase{"AboveRange", "300", 255},
                      FieldCase{"TrailingLetters", "12x", 12}, FieldCase{"LeadingBlanks", "  7", 7},
                      FieldCase{"PlusSign", "+9", 9}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MenuCommands, EveryByteSurvivesARoundTrip) {
    // v confirmed with Ok shows as v the next time the dialog opens.
    std::vector<int> mismatches;
    for (int v = 0; v <= 255; ++v) {
        backend->queueDialogScript([v](platform::DialogDriver& d) {
            d.type(IDC_GREEN, std::to_string(v));
            d.pressEnter();
        });
        backend->queueDialogScript([v, &mismatches](platform::DialogDriver& d) {
            if (d.text(IDC_GREEN) != std::to_string(v)) {
                mismatches.push_back(v);
            }
            d.pressEnter();
        });
    }
    run(512, [&](int pass) {
        if (pass == 0) {
            for (int i = 0; i < 512; ++i) {
                menu(IDM_AMBIENT_COLOR);
            }
        }
    });
    EXPECT_EQ(backend->dialogCount(), 512);
    EXPECT_TRUE(mismatches.empty()) << mismatches.size() << " values do not come back";
    EXPECT_EQ(backend->abandonedDialogs(), 0);
}

// Typing repaints the preview rectangle (client pixels 20..169 x 70..99)
// in the colour the three fields give at that moment.
struct PreviewCase {
    const char* name;
    std::string red, green, blue;
    COLORREF color;
};

class ColorPreview : public AppScenario, public ::testing::WithParamInterface<PreviewCase> {};

TEST_P(ColorPreview, PaintsTheTypedColour) {
    const PreviewCase& c = GetParam();
    Picture before, after;
    backend->queueDialogScript([&](platform::DialogDriver& d) {
        before = Picture::of(d.image());
        d.type(IDC_RED, c.red);
        d.type(IDC_GREEN, c.green);
        d.type(IDC_BLUE, c.blue);
        after = Picture::of(d.image());
        d.pressEnter();
    });
    run(2, [&](int pass) {
        if (pass == 0) {
            menu(IDM_DIFFUSE_COLOR);
        }
    });
    ASSERT_FALSE(before.empty());
    ASSERT_FALSE(after.empty());
    ASSERT_GE(after.width, 171);
    ASSERT_GE(after.height, 101);
    // At opening the preview shows the diffuse colour.
    EXPECT_EQ(before.at(20, 70), RGB(51, 242, 51));
    for (auto [x, y] : {std::pair{20, 70}, {169, 70}, {20, 99}, {169, 99}, {95, 85}}) {
        EXPECT_EQ(after.at(x, y), c.color) << x << "," << y;
    }
    // Right and bottom edges are exclusive; the rest stays as it was.
    for (auto [x, y] : {std::pair{19, 85}, {170, 85}, {95, 69}, {95, 100}}) {
        EXPECT_EQ(after.at(x, y), before.at(x, y)) << x << "," << y;
        EXPECT_NE(after.at(x, y), RGB(51, 242, 51)) << x << "," << y;
    }
}

INSTANTIATE_TEST_SUITE_P(
    , ColorPreview,
    ::testing::Values(PreviewCase{"Plain", "200", "10", "30", RGB(200, 10, 30)},
                      PreviewCase{"ReadingRules", "-5", "1000", "abc", RGB(0, 100, 0)},
                      PreviewCase{"Clamped", "300", "", "255", RGB(255, 0, 255)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MenuCommands, ColourDialogIgnoresCancel) {
    bool endedByCancel = true;
    bool endedByOk = false;
    Color3 diffuse;
    backend->queueDialogScript([&](platform::DialogDriver& d) {
        d.type(IDC_BLUE, "77");
        SendMessageA(d.dialog(), WM_COMMAND, IDCANCEL, 0);
        endedByCancel = d.ended();
        d.click(IDOK);
        endedByOk = d.ended();
    });
    run(2, [&](int pass) {
        if (pass == 0) {
            menu(IDM_DIFFUSE_COLOR);
        }
        if (pass == 2) {
            diffuse = appState.material->diffuse;
        }
    });
    EXPECT_FALSE(endedByCancel);
    EXPECT_TRUE(endedByOk);
    EXPECT_EQ(diffuse.b, 77 * 0.003921569f);
}

TEST_F(MenuCommands, ColourIsFoundThroughThePointerSizedUserData) {
    LONG_PTR whileOpen = 0;
    LONG_PTR afterwards = -1;
    backend->queueDialogScript([&](platform::DialogDriver& d) {
        whileOpen = GetWindowLongPtrA(GetParent(d.dialog()), GWLP_USERDATA);
        d.pressEnter();
    });
    run(2, [&](int pass) {
        if (pass == 0) {
            menu(IDM_DIFFUSE_COLOR);
        }
        if (pass == 2) {
            afterwards = GetWindowLongPtrA(appState.window, GWLP_USERDATA);
        }
    });
    ASSERT_NE(whileOpen, 0);
    // The dialog edits a local of the running call: a stack address, which
    // on a 64-bit system does not fit in 32 bits.
    if constexpr (sizeof(void*) == 8) {
        EXPECT_GT(static_cast<std::uint64_t>(whileOpen), 0xffffffffull);
    }
    // No address is left behind once the dialog has returned.
    EXPECT_EQ(afterwards, 0);
}

TEST_F(MenuCommands, AboutClosesOnOkOnly) {
    bool endedByCancel = true;
    bool endedByOk = false;
    backend->queueDialogScript([&](platform::DialogDriver& d) {
        SendMessageA(d.dialog(), WM_COMMAND, IDCANCEL, 0);
        endedByCancel = d.ended();
        d.click(IDOK);
        endedByOk = d.ended();
    });
    run(2, [&](int pass) {
        if (pass == 0) {
            menu(IDM_ABOUT);
        }
    });
    EXPECT_EQ(backend->dialogsOpened(), std::vector<std::string>{"About"});
    EXPECT_FALSE(endedByCancel);
    EXPECT_TRUE(endedByOk);
    EXPECT_EQ(backend->abandonedDialogs(), 0);
}

TEST_F(MenuCommands, UnknownCommandsChangeNothing) {
    Matrix4 model;
    std::vector<int> checked;
    run(3, [&](int pass) {
        if (pass == 0) {
            menu(40001);
            menu(40010);
            menu(0);
        }
        if (pass == 3) {
            model = appState.modelRotation;
            checked = checkedItems(1);
        }
    });
    EXPECT_TRUE(matricesNear(model, spun(3), 0.0f));
    EXPECT_EQ(checked, std::vector<int>{1});
    EXPECT_TRUE(backend->dialogsOpened().empty());
}

} // namespace
} // namespace apptest
