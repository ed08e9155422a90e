#include "app/windows/AppState.h"

#include "app/capture/RecorderCaptureDevice.h"
#include "app/capture/TranscriberSpeechEngine.h"
#include "connect/CloudSync.h"
#include "core/Log.h"
#include "core/QuaroPaths.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace quaro {

namespace {

constexpr int reloadIntervalMs = 2000;

std::optional<std::string> optionalText(const QString& text)
{
    if (text.isEmpty())
        return std::nullopt;
    return text.toStdString();
}

// Fills in the real thing for every part left empty.
AppStateParts completed(AppStateParts parts)
{
    if (!parts.preferences)
        parts.preferences = std::make_unique<Preferences>();
    if (!parts.device)
        parts.device = std::make_unique<RecorderCaptureDevice>();
    if (!parts.whisperModels)
        parts.whisperModels = WhisperCatalogue::fromEnvironment();
    if (!parts.modelDirectory)
        parts.modelDirectory = ModelStore::defaultDirectory();
    if (!parts.speech) {
        TranscriberConfig config = TranscriberSpeechEngine::configFromEnvironment();
        config.modelDirectory = *parts.modelDirectory;
        parts.speech = std::make_unique<TranscriberSpeechEngine>(std::move(config), *parts.whisperModels);
    }
    if (!parts.audioDirectory)
        parts.audioDirectory = QuaroPaths::audioDirectory();
    return parts;
}

// Automatic mode's three keys, kept with the rest of the user's choices.
class AutoModeKeys final : public AutoModePreferences {
public:
    explicit AutoModeKeys(Preferences& preferences) : m_preferences(preferences) {}
    bool enabled() const override { return m_preferences.autoEnabled(); }
    void setEnabled(bool on) override { m_preferences.setAutoEnabled(on); }
    int intervalMinutes() const override { return m_preferences.autoInterval(); }
    void setIntervalMinutes(int minutes) override { m_preferences.setAutoInterval(minutes); }
    std::optional<QDateTime> lastRun() const override { return m_preferences.autoLastRun(); }
    void setLastRun(const QDateTime& when) override { m_preferences.setAutoLastRun(when); }

private:
    Preferences& m_preferences;
};

} // namespace

Result<std::unique_ptr<AppState>, DatabaseError> AppState::create(AppStateParts parts)
{
    auto store = QUARO_TRY(QuaroStore::open(parts.database.value_or(QuaroPaths::databaseURL())));
    return std::unique_ptr<AppState>(new AppState(std::move(store), completed(std::move(parts))));
}

AppState::AppState(QuaroStore store, AppStateParts parts)
    : m_store(std::move(store))
    , m_preferences(std::move(parts.preferences))
    , m_device(std::move(parts.device))
    , m_speech(std::move(parts.speech))
    , m_cloud(parts.cloud ? std::move(parts.cloud) : std::unique_ptr<CloudLink>(std::make_unique<CloudSync>(m_store)))
    , m_inbox(m_store, *m_preferences, *m_cloud)
    , m_capture(m_store, *m_device, *m_speech, *parts.audioDirectory, captureHooks(), parts.timing)
{
    m_hotKey = std::make_unique<HotKeyStatus>(*m_preferences, SessionInfo::current(), QCoreApplication::applicationFilePath());
    connect(m_hotKey.get(), &HotKeyStatus::changed, this, [this] {
        if (m_hotKey->works() == m_hotKeyWorks)
            return;
        m_hotKeyWorks = m_hotKey->works();
        emit hotKeyWorksChanged();
    });
    m_models = std::make_unique<ModelCatalogue>(*m_preferences, *m_speech, std::move(*parts.whisperModels),
                                                std::move(*parts.modelDirectory));
    m_inbox.reload();
    m_inbox.ensureSelectedDestino();
    wire();
    wireConnections(parts);
}

AppState::~AppState() = default;

CaptureHooks AppState::captureHooks()
{
    CaptureHooks hooks;
    hooks.choice = [this] {
        CaptureChoice choice;
        choice.selectedMicID = optionalText(m_preferences->selectedMicID());
        choice.selectedDestinoID = optionalText(m_preferences->selectedDestinoID());
        if (auto destino = m_inbox.selectedDestino())
            choice.selectedDestinoName = destino->name;
        choice.languageID = m_preferences->languageID().toStdString();
        choice.keepAudio = m_preferences->keepAudio();
        choice.liveTranscription = m_preferences->liveTranscription();
        return choice;
    };
    hooks.destinos = [this] { return m_inbox.destinoList(); };
    hooks.reload = [this] { m_inbox.reload(); };
    hooks.recadoReady = [this](const Recado& recado, const std::optional<Destino>& destino) {
        if (m_preferences->nudgeEnabled() && onRecadoReady)
            onRecadoReady(recado, destino);
    };
    hooks.kickCloud = [this] {
        if (m_cloud->enabled())
            m_cloud->kick();
    };
    return hooks;
}

void AppState::wire()
{
    // A new microphone choice reaches a recording in progress at once.
    connect(m_preferences.get(), &Preferences::selectedMicIDChanged, this,
            [this] { m_capture.switchMicrophone(optionalText(m_preferences->selectedMicID())); });
    m_cloud->onRemoteChange = [this] { m_inbox.reload(); };

    // Nothing watches the database file: AI clients' claims and results show
    // up through this poll.
    m_reloadTimer.setInterval(reloadIntervalMs);
    connect(&m_reloadTimer, &QTimer::timeout, &m_inbox, &InboxState::reload);
    m_reloadTimer.start();
}

void AppState::wireConnections(AppStateParts& parts)
{
    AutoModeConfig autoConfig = parts.autoMode.value_or(AutoModeConfig::standard());
    if (!parts.autoMode && parts.database)
        autoConfig.supportDirectory = QString::fromStdString(parts.database->parent_path().string());
    m_autoMode = std::make_unique<AutoMode>(m_store, std::make_unique<AutoModeKeys>(*m_preferences),
                                            std::move(autoConfig));
    // Whatever the run resolved shows at once, not at the next poll.
    connect(m_autoMode.get(), &AutoMode::finished, &m_inbox, &InboxState::reload);

    m_connector = std::make_unique<ClaudeConnector>(parts.connector.value_or(ClaudeConnectorConfig::standard()));
    // AI clients must be able to start the server shipped beside us.
    m_connector->ensureHelperExecutable();
    const auto shareClaude = [this] { m_connector->setClaudePath(m_autoMode->claudePath()); };
    connect(m_autoMode.get(), &AutoMode::claudePathChanged, m_connector.get(), shareClaude);

    m_updater = std::make_unique<Updater>(parts.updater.value_or(UpdaterConfig::build()));
    m_updater->openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    m_updater->start();
}

void AppState::setHotKeyWorks(bool works) { m_hotKey->setHotKey(works ? HotKeyState::working : HotKeyState::taken); }

void AppState::recoverInterrupted()
{
    if (m_capture.recoverInterrupted() > 0)
        m_inbox.reload();
}

QString AppState::snapshot(const QStringList& windows)
{
    QJsonObject state;
    state[QStringLiteral("windows")] = QJsonArray::fromStringList(windows);
    state[QStringLiteral("phase")] = m_capture.phaseName();
    state[QStringLiteral("phaseText")] = m_capture.phaseText();
    state[QStringLiteral("hotKeyWorks")] = m_hotKey->works();
    state[QStringLiteral("hotKey")] = m_hotKey->stateName();
    state[QStringLiteral("hotKeyLabel")] = m_hotKey->label();
    state[QStringLiteral("counts")] = QJsonObject::fromVariantMap(m_inbox.counts());
    state[QStringLiteral("notice")] = m_capture.notice();
    state[QStringLiteral("liveStretches")] = m_capture.liveStretches();
    QJsonArray recent;
    const RecadoListModel* list = m_inbox.recent();
    for (int row = 0; row < list->rowCount(); ++row) {
        const Recado& recado = list->recado(row);
        recent.append(QJsonObject{
            {QStringLiteral("id"), QString::fromStdString(recado.id)},
            {QStringLiteral("status"), QString::fromUtf8(rawValue(recado.status).data(),
                                                         static_cast<qsizetype>(rawValue(recado.status).size()))},
            {QStringLiteral("title"), QString::fromStdString(recado.title)},
            {QStringLiteral("transcript"), QString::fromStdString(recado.transcript)},
            {QStringLiteral("destinoID"), QString::fromStdString(recado.destinoID.value_or(""))},
            {QStringLiteral("result"), QString::fromStdString(recado.result.value_or(""))},
        });
    }
    state[QStringLiteral("recent")] = recent;
    return QString::fromUtf8(QJsonDocument(state).toJson(QJsonDocument::Compact));
}

} // namespace quaro
