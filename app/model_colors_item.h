// Render > Model Colors: the switch between a model's own colours (the
// file's, LoadedModel::fileColors) and the material's (Diffuse Color,
// Ambient Color), kept in the device's modelColors switch.
//  - A model with colours opens in them: the switch goes on and the item is
//    checked. Choosing the item flips the switch and the check mark.
//  - A model without colours, and the demo, have nothing to switch to: the
//    item is greyed and unchecked (a command that still arrives, from a
//    script, does nothing).
// The switch and the mark stay over File > Reset and View > Fit.
#pragma once

// Sets the item's check mark and greying from the shown model and the
// device's switch. Called once the window's menu exists and whenever a
// model is installed; a model with colours switches the device back on.
void showModelColorsItem(bool modelJustOpened);

// IDM_MODEL_COLORS: flips the device's switch and the check mark, when the
// shown model has colours of its own.
void toggleModelColors();
