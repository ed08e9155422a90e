// GIO first: Qt's `signals` keyword would rename a field of its headers.
#include <gio/gio.h>

#include "app/desktop/GnomeShortcut.h"

#include <QStringList>

#include <memory>
#include <vector>

namespace quaro {

namespace {

constexpr char mediaKeys[] = "org.gnome.settings-daemon.plugins.media-keys";
constexpr char customKey[] = "custom-keybindings";
constexpr char customSchema[] = "org.gnome.settings-daemon.plugins.media-keys.custom-keybinding";
constexpr char ourPath[] = "/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/quaro/";
constexpr char windowKeys[] = "org.gnome.desktop.wm.keybindings";

struct ObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
using Settings = std::unique_ptr<GSettings, ObjectUnref>;

bool schemaPresent(const char* id)
{
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    if (!source)
        return false;
    GSettingsSchema* schema = g_settings_schema_source_lookup(source, id, TRUE);
    if (!schema)
        return false;
    g_settings_schema_unref(schema);
    return true;
}

QStringList strings(GSettings* settings, const char* key)
{
    gchar** values = g_settings_get_strv(settings, key);
    QStringList list;
    for (gchar** value = values; value && *value; ++value)
        list << QString::fromUtf8(*value);
    g_strfreev(values);
    return list;
}

void setStrings(GSettings* settings, const char* key, const QStringList& list)
{
    std::vector<QByteArray> bytes;
    std::vector<const gchar*> values;
    for (const QString& value : list)
        bytes.push_back(value.toUtf8());
    for (const QByteArray& value : bytes)
        values.push_back(value.constData());
    values.push_back(nullptr);
    g_settings_set_strv(settings, key, values.data());
}

} // namespace

std::unique_ptr<GnomeShortcut> GnomeShortcut::create()
{
    if (!schemaPresent(mediaKeys) || !schemaPresent(customSchema))
        return nullptr;
    return std::unique_ptr<GnomeShortcut>(new GnomeShortcut);
}

bool GnomeShortcut::installed() const
{
    const Settings keys(g_settings_new(mediaKeys));
    return strings(keys.get(), customKey).contains(QLatin1String(ourPath));
}

void GnomeShortcut::install(HotKeyPreset preset, const QString& command)
{
    // The entry first, then its place in the list: GNOME never sees a
    // listed shortcut without its keys.
    const Settings ours(g_settings_new_with_path(customSchema, ourPath));
    g_settings_set_string(ours.get(), "name", "Quaro");
    g_settings_set_string(ours.get(), "command", command.toUtf8().constData());
    g_settings_set_string(ours.get(), "binding", accelerator(preset).toUtf8().constData());
    const Settings keys(g_settings_new(mediaKeys));
    QStringList list = strings(keys.get(), customKey);
    if (!list.contains(QLatin1String(ourPath))) {
        list << QLatin1String(ourPath);
        setStrings(keys.get(), customKey, list);
    }
    g_settings_sync();
}

void GnomeShortcut::remove()
{
    const Settings keys(g_settings_new(mediaKeys));
    QStringList list = strings(keys.get(), customKey);
    if (list.removeAll(QLatin1String(ourPath)) > 0)
        setStrings(keys.get(), customKey, list);
    const Settings ours(g_settings_new_with_path(customSchema, ourPath));
    for (const char* key : {"name", "command", "binding"})
        g_settings_reset(ours.get(), key);
    g_settings_sync();
}

bool GnomeShortcut::clashesWithWindowMenu(HotKeyPreset preset)
{
    if (!schemaPresent(windowKeys))
        return false;
    const Settings window(g_settings_new(windowKeys));
    const QString ours = accelerator(preset);
    for (QString binding : strings(window.get(), "activate-window-menu")) {
        binding.replace(QLatin1String("<Primary>"), QLatin1String("<Control>"), Qt::CaseInsensitive);
        if (binding.compare(ours, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QString GnomeShortcut::accelerator(HotKeyPreset preset)
{
    return QString::fromStdString(spelled(modifiers(preset), "<Control>", "<Alt>", "<Shift>", "")) +
           QLatin1String("space");
}

} // namespace quaro
