// What the host's page scripts do for the panel page, done natively: the fonts virtual list
// ("set_records", "set_current" on the list inside "widget#fonts-collection") and the colour
// table ("#ColorsPopup": told the current colour with application event 0x402, whose reason 1
// enables "No color"; reports the colour chosen from a cell, "No color" or typed in the hex input
// and confirmed with Enter with 0x401).
#pragma once

#include "headless-host/html-engine/runtime/HtmlEngineExport.h"

namespace html {

class EngineWindow;

// Registers the scripts' methods and element set-up with the window; call before loading pages.
HTML_ENGINE_API void InstallHostPageScripts(EngineWindow& window);

constexpr unsigned kColorTableChosen = 0x401;
constexpr unsigned kColorTableSetCurrent = 0x402;

} // namespace html
