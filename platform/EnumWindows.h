#pragma once

#include "libraries/Brevant.h"

#include <cstdint>
#include <functional>
#include <vector>

// The window enumeration's callback: called once per window with the caller's parameter; false
// ends the enumeration.
using WNDENUMPROC = bool (*)(BrevantWindow window, const BrevantWindowList* parameter);

// Calls `callback` for each top-level client window of the X display, in the display's order, until
// it returns false. The window manager's client list is used where the manager keeps one, else the
// client windows found in the display's tree (inside the manager's frames), else, with no manager,
// the root's children that are mapped with a title. Listed ids of windows that do not exist are
// left out, and the work one call does on what other clients wrote is bounded. Without any
// connection to a display nothing is enumerated, and the first such call raises an error saying so.
void EnumWindows(WNDENUMPROC callback, const BrevantWindowList* parameter);

// Ends the enumeration's watch on the display until the next enumeration, which reads the display
// anew: while nobody enumerates, the changes the watch listens to would pile up unread.
void EndWindowWatch();

// Tests enumerate windows of their own: while a source is set, it gives the windows instead of the
// display. An empty function restores the display.
using WindowSource = std::function<std::vector<uint32_t>()>;
void SetWindowSource(WindowSource source);

// What the enumerations of the display have done so far, for tests that bound that work.
struct EnumerationWork {
    uint64_t searches = 0; // walks of the window tree
    uint64_t visited = 0;  // windows those walks looked at
    uint64_t listed = 0;   // client list ids looked up
    uint64_t heard = 0;    // changes the display reported
};
EnumerationWork EnumerationWorkDone();
