#include "headless-host/html-engine/runtime/ViewGeometry.h"

#include "headless-host/html-engine/runtime/Window.h"
#include "headless-host/support/HostSupport.h"

#include <utility>
#include <vector>

namespace html {

namespace {

constexpr UINT kVisibleScreenAreaMessage = 0x0626;

} // namespace

ViewGeometry::ViewGeometry(Window& window, const WindowOptions& options)
    : window_(window), options_(options) {
    RegisterWithHost();
}

ViewGeometry::~ViewGeometry() {
    HostUnregisterWindow(window_.Hwnd());
}

void ViewGeometry::RegisterWithHost() {
    HostRegisterWindow(window_.Hwnd(), options_.screenOrigin, &WindowProcedure, this);
}

LRESULT ViewGeometry::WindowProcedure(void* context, UINT message, WPARAM, LPARAM lParam) {
    auto* geometry = static_cast<ViewGeometry*>(context);
    if (message == kVisibleScreenAreaMessage && lParam != 0) {
        *reinterpret_cast<RECT*>(lParam) = geometry->options_.visibleScreenArea;
        return 1;
    }
    return 0;
}

RECT ViewGeometry::Location(Element& element) {
    if (layoutCount_ != window_.ChangeCount()) {
        std::vector<std::pair<const Element*, const Element*>> popups;
        for (const auto& shown : window_.Popups().Shown()) {
            popups.emplace_back(shown.popup.get(), shown.anchor.get());
        }
        layout_.Compute(window_.Root(), options_.width, options_.height, popups);
        layoutCount_ = window_.ChangeCount();
    }
    return layout_.BorderBox(element);
}

void ViewGeometry::Resize(std::int32_t width, std::int32_t height) {
    options_.width = width;
    options_.height = height;
    window_.NoteChange();
}

void ViewGeometry::MoveTo(POINT screenOrigin) {
    options_.screenOrigin = screenOrigin;
    RegisterWithHost();
}

} // namespace html
