#include "app/state/HotKeyPreset.h"

namespace quaro {

namespace {
struct PresetInfo {
    HotKeyPreset preset;
    std::string_view raw;
    std::string_view label;
    HotKeyModifiers modifiers;
};

constexpr PresetInfo presets[] = {
    {HotKeyPreset::altSpace, "optionSpace", "Alt Espaço", {.alt = true}},
    {HotKeyPreset::controlAltSpace, "controlOptionSpace", "Ctrl Alt Espaço", {.alt = true, .control = true}},
    {HotKeyPreset::altShiftSpace, "optionShiftSpace", "Alt Shift Espaço", {.alt = true, .shift = true}},
};

const PresetInfo& info(HotKeyPreset preset)
{
    for (const auto& p : presets)
        if (p.preset == preset)
            return p;
    return presets[0];
}
} // namespace

std::string_view rawValue(HotKeyPreset preset) { return info(preset).raw; }
std::string_view label(HotKeyPreset preset) { return info(preset).label; }
HotKeyModifiers modifiers(HotKeyPreset preset) { return info(preset).modifiers; }

std::string spelled(HotKeyModifiers keys, std::string_view control, std::string_view alt, std::string_view shift,
                    std::string_view separator)
{
    std::string text;
    const auto add = [&](bool held, std::string_view name) {
        if (!held)
            return;
        if (!text.empty())
            text += separator;
        text += name;
    };
    add(keys.control, control);
    add(keys.alt, alt);
    add(keys.shift, shift);
    return text;
}

std::optional<HotKeyPreset> hotKeyPreset(std::string_view raw)
{
    for (const auto& p : presets)
        if (p.raw == raw)
            return p.preset;
    return std::nullopt;
}

} // namespace quaro
