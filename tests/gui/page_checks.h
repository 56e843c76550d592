// What a captured dialog must show: its size from the template, every control at its
// converted place and inside the dialog, every text fitting its control and drawn.
#pragma once

#include <filesystem>

#include "cad/ui/gui/dialog_window.h"

namespace qxtest {

// Saves the dialog's picture under `file` and checks it; failures name the control.
void captureAndCheckDialog(qxgui::DialogWindow& dialog, const std::filesystem::path& file);

}  // namespace qxtest
