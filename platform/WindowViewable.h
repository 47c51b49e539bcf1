#pragma once

class QWidget;

// False only when the display is known not to show the window: on X11, while the server does not
// have it viewable (mapped, its ancestors too), whatever the toolkit counts it as. Elsewhere, and for
// a window without a native window yet, true.
bool WindowViewable(const QWidget& window);
