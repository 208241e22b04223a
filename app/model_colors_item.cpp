#include "app/model_colors_item.h"

#include "app/app_state.h"
#include "app/resource.h"

namespace {

bool shownModelHasColors() {
    return !appState.model.meshes.empty() && appState.model.fileColors;
}

} // namespace

void showModelColorsItem(bool modelJustOpened) {
    if (appState.device == nullptr) {
        return;
    }
    const bool hasColors = shownModelHasColors();
    if (hasColors && modelJustOpened) {
        appState.device->setModelColors(true);
    }
    HMENU menu = GetMenu(appState.window);
    EnableMenuItem(menu, IDM_MODEL_COLORS, MF_BYCOMMAND | (hasColors ? MF_ENABLED : MF_GRAYED));
    const bool checked = hasColors && appState.device->modelColors;
    CheckMenuItem(menu, IDM_MODEL_COLORS, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void toggleModelColors() {
    if (appState.device == nullptr || !shownModelHasColors()) {
        return;
    }
    appState.device->setModelColors(!appState.device->modelColors);
    showModelColorsItem(false);
}
