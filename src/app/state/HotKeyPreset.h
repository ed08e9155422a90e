#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace quaro {

// The three key combinations the user can pick for the global hot key. All
// use the space bar; they differ in modifiers. Stored by raw value.
enum class HotKeyPreset {
    optionSpace,        // Alt+Space
    controlOptionSpace, // Ctrl+Alt+Space
    optionShiftSpace,   // Alt+Shift+Space
};

inline constexpr std::array<HotKeyPreset, 3> allHotKeyPresets = {
    HotKeyPreset::optionSpace, HotKeyPreset::controlOptionSpace, HotKeyPreset::optionShiftSpace};

// "optionSpace", "controlOptionSpace", "optionShiftSpace".
std::string_view rawValue(HotKeyPreset preset);
// The preset with that exact raw value, or absent.
std::optional<HotKeyPreset> hotKeyPreset(std::string_view rawValue);
// What the user reads: "Alt Espaço", "Ctrl Alt Espaço", "Alt Shift Espaço".
std::string_view label(HotKeyPreset preset);

// The modifiers of a preset, independent of any windowing system.
struct HotKeyModifiers {
    bool alt = false;
    bool control = false;
    bool shift = false;
    bool operator==(const HotKeyModifiers&) const = default;
};
HotKeyModifiers modifiers(HotKeyPreset preset);
// The held keys, Ctrl then Alt then Shift, under the names a desktop's
// configuration gives them, joined by separator: ("Ctrl", "Mod1", "Shift", "+")
// spells Ctrl+Alt as "Ctrl+Mod1".
std::string spelled(HotKeyModifiers keys, std::string_view control, std::string_view alt, std::string_view shift,
                    std::string_view separator);

} // namespace quaro
