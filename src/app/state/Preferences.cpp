#include "app/state/Preferences.h"

#include "app/common/QtStrings.h"
#include "core/Log.h"

#include <QVariantMap>

#include <algorithm>
#include <array>
#include <type_traits>

namespace quaro {

namespace {
const QString micKey = QStringLiteral("microphoneID");
const QString destinoKey = QStringLiteral("destinoID");
const QString widgetKey = QStringLiteral("alwaysShowWidget");
const QString dockKey = QStringLiteral("showInDock");
const QString hotKeyKey = QStringLiteral("hotKey");
const QString languageKey = QStringLiteral("languageID");
const QString keepAudioKey = QStringLiteral("keepAudio");
const QString liveTranscriptionKey = QStringLiteral("liveTranscription");
const QString nudgeKey = QStringLiteral("nudgeEnabled");
const QString onboardingKey = QStringLiteral("onboardingDone");
const QString defaultLanguage = QStringLiteral("pt-BR");

const std::array<QString, 4> settingsTabs = {QStringLiteral("geral"), QStringLiteral("gravacao"),
                                             QStringLiteral("destinos"), QStringLiteral("conexoes")};

bool isText(const QVariant& value) { return value.typeId() == QMetaType::QString; }
} // namespace

Preferences::Preferences(QObject* parent)
    : Preferences(std::make_unique<QSettings>(QStringLiteral("Quaro"), QStringLiteral("Quaro")), LaunchAtLogin(),
                  parent)
{
}

Preferences::Preferences(std::unique_ptr<QSettings> settings, LaunchAtLogin launcher, QObject* parent)
    : QObject(parent), m_settings(std::move(settings)), m_launcher(std::move(launcher))
{
    read();
}

Preferences::~Preferences() = default;

void Preferences::read()
{
    m_selectedMicID = stringValue(micKey).value_or(QString());
    m_selectedDestinoID = stringValue(destinoKey).value_or(QString());
    m_alwaysShowWidget = boolValue(widgetKey, false);
    m_showInDock = boolValue(dockKey, true);
    const auto preset = quaro::hotKeyPreset(stringValue(hotKeyKey).value_or(QString()).toStdString());
    m_hotKeyPreset = preset.value_or(HotKeyPreset::altSpace);
    // An empty language would leave the transcriber with none to force.
    const QString language = stringValue(languageKey).value_or(QString());
    m_languageID = language.isEmpty() ? defaultLanguage : language;
    m_keepAudio = boolValue(keepAudioKey, true);
    m_liveTranscription = boolValue(liveTranscriptionKey, true);
    m_nudgeEnabled = boolValue(nudgeKey, true);
    m_onboardingDone = boolValue(onboardingKey, false);
    m_launchAtLogin = m_launcher.isEnabled();
}

// --- typed access ------------------------------------------------------------

bool Preferences::boolValue(const QString& key, bool fallback) const
{
    const QVariant value = m_settings->value(key);
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    // The settings file hands every value back as text.
    if (isText(value) && value.toString() == QLatin1String("true"))
        return true;
    if (isText(value) && value.toString() == QLatin1String("false"))
        return false;
    return fallback;
}

std::optional<int> Preferences::intValue(const QString& key) const
{
    const QVariant value = m_settings->value(key);
    bool ok = false;
    int number = 0;
    if (value.typeId() == QMetaType::Int || value.typeId() == QMetaType::LongLong)
        number = value.toInt(&ok);
    else if (isText(value))
        number = value.toString().toInt(&ok, 10);
    return ok ? std::optional(number) : std::nullopt;
}

std::optional<QString> Preferences::stringValue(const QString& key) const
{
    const QVariant value = m_settings->value(key);
    return isText(value) ? std::optional(value.toString()) : std::nullopt;
}

std::optional<QDateTime> Preferences::dateValue(const QString& key) const
{
    const QVariant value = m_settings->value(key);
    QDateTime when;
    if (value.typeId() == QMetaType::QDateTime)
        when = value.toDateTime();
    else if (isText(value))
        when = QDateTime::fromString(value.toString(), Qt::ISODateWithMs);
    return when.isValid() ? std::optional(when) : std::nullopt;
}

void Preferences::setValue(const QString& key, const QVariant& value)
{
    if (value.typeId() == QMetaType::QDateTime)
        m_settings->setValue(key, value.toDateTime().toUTC().toString(Qt::ISODateWithMs));
    else
        m_settings->setValue(key, value);
    m_settings->sync();
}

void Preferences::removeValue(const QString& key)
{
    m_settings->remove(key);
    m_settings->sync();
}

void Preferences::setAutoLastRun(const std::optional<QDateTime>& when)
{
    if (when)
        setValue(QStringLiteral("autoLastRun"), *when);
    else
        removeValue(QStringLiteral("autoLastRun"));
}

// --- properties ----------------------------------------------------------------

template <typename T>
void Preferences::update(T& field, const T& value, const QString& key, void (Preferences::*changed)())
{
    if (field == value)
        return;
    field = value;
    if constexpr (std::is_same_v<T, QString>) {
        if (value.isEmpty())
            removeValue(key);
        else
            setValue(key, value);
    } else {
        setValue(key, value);
    }
    emit(this->*changed)();
}

void Preferences::setSelectedMicID(const QString& id)
{
    update(m_selectedMicID, id, micKey, &Preferences::selectedMicIDChanged);
}

void Preferences::setSelectedDestinoID(const QString& id)
{
    update(m_selectedDestinoID, id, destinoKey, &Preferences::selectedDestinoIDChanged);
}

void Preferences::setAlwaysShowWidget(bool on)
{
    update(m_alwaysShowWidget, on, widgetKey, &Preferences::alwaysShowWidgetChanged);
}

void Preferences::setShowInDock(bool on) { update(m_showInDock, on, dockKey, &Preferences::showInDockChanged); }

void Preferences::setHotKeyPreset(HotKeyPreset preset)
{
    if (preset == m_hotKeyPreset)
        return;
    m_hotKeyPreset = preset;
    setValue(hotKeyKey, toQString(rawValue(preset)));
    emit hotKeyPresetChanged();
}

QString Preferences::hotKeyPresetRaw() const { return toQString(rawValue(m_hotKeyPreset)); }

void Preferences::setHotKeyPresetRaw(const QString& raw)
{
    if (const auto preset = quaro::hotKeyPreset(raw.toStdString()))
        setHotKeyPreset(*preset);
}

QString Preferences::hotKeyLabel() const { return toQString(label(m_hotKeyPreset)); }

QVariantList Preferences::hotKeyPresetOptions() const
{
    QVariantList options;
    for (HotKeyPreset preset : allHotKeyPresets)
        options.append(QVariantMap{{QStringLiteral("value"), toQString(rawValue(preset))},
                                   {QStringLiteral("label"), toQString(label(preset))}});
    return options;
}

void Preferences::setLanguageID(const QString& id)
{
    if (!id.isEmpty())
        update(m_languageID, id, languageKey, &Preferences::languageIDChanged);
}

void Preferences::setKeepAudio(bool on) { update(m_keepAudio, on, keepAudioKey, &Preferences::keepAudioChanged); }
void Preferences::setLiveTranscription(bool on)
{
    update(m_liveTranscription, on, liveTranscriptionKey, &Preferences::liveTranscriptionChanged);
}

void Preferences::setNudgeEnabled(bool on)
{
    update(m_nudgeEnabled, on, nudgeKey, &Preferences::nudgeEnabledChanged);
}

void Preferences::setOnboardingDone(bool done)
{
    update(m_onboardingDone, done, onboardingKey, &Preferences::onboardingDoneChanged);
}

void Preferences::setLaunchAtLogin(bool on)
{
    if (on == m_launchAtLogin)
        return;
    m_launchAtLogin = on;
    if (auto changed = m_launcher.setEnabled(on); !changed)
        log(LogArea::app, QStringLiteral("login item"), changed.error());
    emit launchAtLoginChanged();
}

void Preferences::setSettingsTab(const QString& tab)
{
    if (tab == m_settingsTab || std::find(settingsTabs.begin(), settingsTabs.end(), tab) == settingsTabs.end())
        return;
    m_settingsTab = tab;
    emit settingsTabChanged();
}

} // namespace quaro
