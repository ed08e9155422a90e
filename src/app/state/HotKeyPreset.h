#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace quaro {

// The three key combinations the user can pick for the global hot key. All
// use the space bar; they differ in modifiers. Stored by raw value, which
// keeps the names the preferences have always held ("optionSpace" is
// Alt+Space).
enum class HotKeyPreset {
    altSpace,
    controlAltSpace,
    altShiftSpace,
};

inline constexpr std::array<HotKeyPreset, 3> allHotKeyPresets = {
    HotKeyPreset::altSpace, HotKeyPreset::controlAltSpace, HotKeyPreset::altShiftSpace};

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
