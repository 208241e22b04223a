#include "app/resources.h"

#include "app/resource.h"
#include "app/version.h"

namespace {

using platform::DialogControlResource;
using platform::DialogTemplateResource;
using platform::MenuResource;
using platform::ResourceModule;
using platform::ResourceName;

MenuResource mainMenu() {
    MenuResource menu;
    menu.name = ResourceName::named(ORVANDEMENU);
    menu.popups = {
        {"&File",
         {{"&Open...\tCtrl+O", IDM_OPEN, false},
          {"&Save Image...\tCtrl+S", IDM_SAVE_IMAGE, false},
          {"&Cancel Loading\tEsc", IDM_CANCEL_LOADING, false},
          {"&Reset", IDM_RESET, false},
          {"", 0, true},
          {"E&xit", IDM_EXIT, false}}},
        // Second on the bar: the fill styles' check marks find it there.
        {"&Render",
         {{"&Wireframe", IDM_WIREFRAME, false},
          {"&Flat", IDM_FLAT, false},
          {"&Gouraud", IDM_GOURAUD, false},
          {"", 0, true},
          {"&Diffuse Color", IDM_DIFFUSE_COLOR, false},
          {"&Ambient Color", IDM_AMBIENT_COLOR, false},
          {"", 0, true},
          {"&Model Colors", IDM_MODEL_COLORS, false}}},
        {"&View", {{"&Fit\tF", IDM_FIT, false}}},
        {"&Help", {{"&About", IDM_ABOUT, false}}},
    };
    return menu;
}

// Both dialogs share the frame, the font and the origin.
DialogTemplateResource dialogFrame(int id, const char* title, short width, short height) {
    DialogTemplateResource dialog;
    dialog.name = ResourceName::numbered(static_cast<WORD>(id));
    dialog.title = title;
    dialog.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
    dialog.exStyle = 0;
    dialog.fontName = "MS Sans Serif";
    dialog.pointSize = 8;
    dialog.fontWeight = 0;
    dialog.italic = false;
    dialog.charset = 1; // default character set
    dialog.x = 0;
    dialog.y = 0;
    dialog.width = width;
    dialog.height = height;
    return dialog;
}

DialogTemplateResource colorDialog() {
    constexpr DWORD field = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
    constexpr DWORD label = WS_CHILD | WS_VISIBLE | WS_GROUP | SS_CENTER;
    DialogTemplateResource dialog = dialogFrame(IDD_COLORDLG, kColorDialogCaption, 191, 69);
    // Template order is tab order: the green field comes first.
    dialog.controls = {
        {IDC_GREEN, "EDIT", "", field, 0, 75, 22, 40, 12},
        {IDC_RED, "EDIT", "", field, 0, 15, 22, 40, 12},
        {IDC_BLUE, "EDIT", "", field, 0, 136, 22, 40, 12},
        {IDC_STATIC, "STATIC", "Red", label, 0, 22, 13, 28, 8},
        {IDC_STATIC, "STATIC", "Green", label, 0, 81, 13, 28, 8},
        {IDC_STATIC, "STATIC", "Blue", label, 0, 144, 13, 28, 8},
        {IDOK, "BUTTON", "&Ok", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
         WS_EX_STATICEDGE | WS_EX_CLIENTEDGE, 132, 46, 52, 16},
    };
    return dialog;
}

DialogTemplateResource aboutDialog() {
    constexpr DWORD group = WS_CHILD | WS_VISIBLE | WS_GROUP;
    DialogTemplateResource dialog = dialogFrame(IDD_ORVANDEABOUT, kAboutDialogCaption, 204, 105);
    dialog.controls = {
        {IDOK, "BUTTON", "OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 147, 7, 50,
         14},
        {IDC_STATIC, "STATIC", ORVANDE_ICON, WS_CHILD | WS_VISIBLE | SS_ICON, 0, 13, 7, 21, 20},
        // The box, 94 x 26 dialog units, holds three lines of the 8-point
        // dialog font; a line wider than the box would wrap and push the
        // last one out of sight.
        {IDC_STATIC, "STATIC", "Octaspin\nVersion " OCTASPIN_VERSION "\nA software 3D renderer",
         group | SS_LEFT, 0, 46, 7, 94, 26},
        {IDC_STATIC, "STATIC", "Click on the polyhedron to rotate it.", group | SS_CENTER, 0, 26,
         50, 142, 10},
        {IDC_STATIC, "STATIC", "Contorls", group | SS_CENTER, WS_EX_STATICEDGE, 25, 39, 150, 9},
        {IDC_STATIC, "STATIC",
         "a - camera moves forward\nz - camera moves backwards\nleft/right/up/down - rotate "
         "camera\nx/c - pans camera left and right",
         group | SS_LEFT, 0, 42, 58, 119, 40},
    };
    return dialog;
}

ResourceModule buildModule() {
    ResourceModule module;
    module.menus.push_back(mainMenu());
    module.dialogs.push_back(colorDialog());
    module.dialogs.push_back(aboutDialog());
    module.icons.push_back(makeOctahedronIcon());
    return module;
}

} // namespace

const platform::ResourceModule& octaspinResources() {
    static const ResourceModule module = buildModule();
    return module;
}
