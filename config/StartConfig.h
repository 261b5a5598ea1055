// The configuration run mode.
#pragma once

namespace brelinde {

// Initialises the application object, creates the settings dialog TConfig as its main window and
// runs the main loop until the dialog has closed. Errors while the dialog is created propagate
// (start-up reports them); errors inside the running dialog go to the per-message error box.
void StartConfig();

}  // namespace brelinde
