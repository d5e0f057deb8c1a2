// Handlers of the option toggles, the settings, look and size popups and the in-place edits.
// Their menu items exist from start-up; the handlers are filled in by the work on options,
// editing and looks, and until then a click on one changes nothing.

#include "ui/MainUnit.h"

