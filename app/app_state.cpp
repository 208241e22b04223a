#include "app/app_state.h"

AppState appState;

void resetAppState() {
    if (appState.device) {
        appState.device->release();
    }
    appState = AppState{};
}
