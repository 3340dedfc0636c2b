#pragma once
// Opening web pages (the About box's links, Online Help, the home page).
#include <QString>

namespace clipvane {

// Opens `url` in the desktop's browser. False when that visibly failed: no
// opener at all, or `xdg-open` ending with an error within `waitMs` (as it
// does when no browser is set up, where QDesktopServices, which only starts
// it, would report success). An opener still running after `waitMs` has
// handed the page to a browser and counts as success.
bool OpenInBrowser(const QString& url, int waitMs = 2000);

}  // namespace clipvane
