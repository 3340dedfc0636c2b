#pragma once
// The Image and Filter menu commands, one entry each: id, texts, parameters,
// the dialog it opens and the effects it builds. The menus, the effect
// dialogs, the document's dispatcher, D-Bus and `clipvane-image` all read
// this table, so adding an effect is its effect file plus one entry here.
#include <cstdint>
#include <span>

#include "image/effects/EffectCommands.h"

// Marks a user-visible text for translation without translating it here: the
// image core stays free of Qt, and the Qt side passes the text through
// QCoreApplication::translate(context, text). lupdate knows it through
// -tr-function-alias QT_TRANSLATE_NOOP+=CLIPVANE_TR_NOOP.
#define CLIPVANE_TR_NOOP(context, text) text

namespace clipvane {

// The translation context of every text in the table.
inline constexpr const char* kEffectTextContext = "Effects";

// What a command shows before it changes the image.
enum class EffectDialog {
    None,                // runs at once with its start values
    Sliders,             // the preview dialog with a slider per labelled parameter
    ColorLevel,          // the preview dialog with low/high sliders and a channel choice
    ColorTone,           // the preview dialog with a hue strip
    BrightnessContrast,  // the brightness/contrast dialog
    Resize,              // the resize dialog
    Band,                // no dialog: works on the Crop tool's band (Redact)
};

struct EffectParam {
    const char* name = nullptr;   // as clipvane-image names it; null: no such parameter
    const char* label = nullptr;  // its slider's caption (translatable); null: no slider
    int32_t minimum = 0;
    int32_t maximum = 0;
    int32_t start = 0;  // the dialog's start value, also used when a caller leaves it out
    const char* unit = "";
    // A size in image pixels: the dialog's thumbnail uses it scaled down.
    bool scalesWithImage = false;
};

struct EffectEntry {
    int id = 0;
    const char* name = "";        // short name, as `clipvane-image list` prints it
    const char* text = "";        // menu text with its & mnemonic (translatable)
    const char* tip = "";         // tool tip and status-bar hint (translatable)
    const char* title = nullptr;  // dialog title (translatable); null: no dialog
    EffectDialog dialog = EffectDialog::None;
    bool keepsSize = true;    // can work on part of the image
    bool keepsDepth = false;  // the dialog leaves the image's depth as it finds it
    EffectParam params[3];
    // Adds the command's effects to `steps` for parameter values `v` (every
    // one given or at its start value); `seed` as for PlanEffectCommand. Null:
    // the command only normalises the depth.
    void (*plan)(const int32_t* v, const uint32_t* seed, EffectCommandSteps& steps) = nullptr;

    int ParamCount() const { return params[2].name ? 3 : params[1].name ? 2 : params[0].name ? 1 : 0; }
};

// Every command, in menu order.
std::span<const EffectEntry> EffectRegistry();
// The entry of command `id`, or null.
const EffectEntry* FindEffect(int id);

}  // namespace clipvane
