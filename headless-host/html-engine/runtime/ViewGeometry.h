// The view's size and place on the screen, as the host's window functions see them, and the
// layout measured in it.
#pragma once

#include "headless-host/html-engine/runtime/EngineWindow.h"
#include "headless-host/html-engine/runtime/Layout.h"

#include <cstdint>

namespace html {

class Element;
class Window;

// Registered with the host (ClientToScreen, SendMessageW) for as long as it lives. [ui-thread]
class ViewGeometry {
public:
    ViewGeometry(Window& window, const WindowOptions& options);
    ~ViewGeometry();
    ViewGeometry(const ViewGeometry&) = delete;
    ViewGeometry& operator=(const ViewGeometry&) = delete;

    // The border box relative to the view, laid out again when the window changed since the last
    // measurement.
    RECT Location(Element& element);
    void Resize(std::int32_t width, std::int32_t height);
    void MoveTo(POINT screenOrigin);
    void SetVisibleScreenArea(RECT area) { options_.visibleScreenArea = area; }

private:
    void RegisterWithHost();
    static LRESULT WindowProcedure(void* context, UINT message, WPARAM wParam, LPARAM lParam);

    Window& window_;
    WindowOptions options_;
    Layout layout_;
    // The window's change count the layout was computed at.
    std::uint64_t layoutCount_ = 0;
};

} // namespace html
