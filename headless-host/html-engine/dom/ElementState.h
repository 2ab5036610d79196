// Element state bits: what the selector pseudo-classes test and what behaviours and the host change.
#pragma once

#include <cstdint>

namespace html {

// Focus, disabled, expanded, collapsed and popup are fixed by the host interface (the module passes
// them as numbers); the other bits are this engine's own choice and may be extended with free bits.
namespace ElementState {
inline constexpr std::uint32_t kHover = 0x2;
inline constexpr std::uint32_t kActive = 0x4;
inline constexpr std::uint32_t kFocus = 0x8;
inline constexpr std::uint32_t kCurrent = 0x20;
inline constexpr std::uint32_t kChecked = 0x40;
inline constexpr std::uint32_t kDisabled = 0x80;
inline constexpr std::uint32_t kReadOnly = 0x100;
inline constexpr std::uint32_t kExpanded = 0x200;
inline constexpr std::uint32_t kCollapsed = 0x400;
inline constexpr std::uint32_t kOwnsPopup = 0x10000;
inline constexpr std::uint32_t kPopup = 0x08000000;
} // namespace ElementState

} // namespace html
