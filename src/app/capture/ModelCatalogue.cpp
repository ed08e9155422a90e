#include "app/capture/ModelCatalogue.h"

#include "core/Log.h"

#include <QPointer>

#include <cmath>

namespace quaro {

namespace {

QString text(const std::string& value)
{
    return QString::fromStdString(value);
}

// The memory figures are decimal, as the authors give them.
QString memoryText(std::uint64_t bytes)
{
    const double megabytes = double(bytes) / 1e6;
    if (megabytes < 1000)
        return QStringLiteral("%1 MB de memória").arg(std::lround(megabytes));
    return QStringLiteral("%1 GB de memória").arg(QString::number(megabytes / 1000, 'f', 1).replace('.', ','));
}

} // namespace

ModelCatalogue::ModelCatalogue(Preferences& preferences, SpeechEngine& speech, WhisperCatalogue catalogue,
                               std::filesystem::path directory, QObject* parent)
    : QAbstractListModel(parent)
    , m_preferences(preferences)
    , m_speech(speech)
    , m_catalogue(std::move(catalogue))
    , m_store(std::move(directory))
    , m_present(m_catalogue.models().size(), false)
{
    const QString stored = m_preferences.stringValue(QString::fromLatin1(preferenceKey)).value_or(QString());
    // An id this version does not know (written by hand, or by a later one)
    // gives the default, as an unknown hot key does.
    m_chosen = text(m_catalogue.model(stored.toStdString()).id);
    m_speech.setModel(m_chosen.toStdString());
    refresh();
    connect(&m_speech, &SpeechEngine::downloadingModelChanged, this, [this] {
        if (!m_speech.downloadingModel())
            refresh();
    });
}

ModelCatalogue::~ModelCatalogue()
{
    // The worker waits for its running job: a download must not hold the quit.
    m_store.cancel();
}

int ModelCatalogue::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant ModelCatalogue::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const std::size_t row = static_cast<std::size_t>(index.row());
    const WhisperModelInfo& model = m_catalogue.models()[row];
    switch (role) {
    case IdRole: return text(model.id);
    case Qt::DisplayRole:
    case LabelRole: return text(model.label);
    case SizeRole: return sizeText(model.size ? model.size : model.approximateSize);
    case MemoryRole: return memoryText(model.memory);
    case HintRole: return text(model.hint);
    case PresentRole: return bool(m_present[row]);
    case ChosenRole: return text(model.id) == m_chosen;
    default: return {};
    }
}

QHash<int, QByteArray> ModelCatalogue::roleNames() const
{
    return {{IdRole, "modelId"}, {LabelRole, "label"},     {SizeRole, "size"},   {MemoryRole, "memory"},
            {HintRole, "hint"},  {PresentRole, "present"}, {ChosenRole, "chosen"}};
}

QString ModelCatalogue::sizeText(std::uint64_t bytes)
{
    const double mebibytes = double(bytes) / (1024.0 * 1024.0);
    if (mebibytes < 1000)
        return QStringLiteral("%1 MB").arg(std::lround(mebibytes));
    return QStringLiteral("%1 GB").arg(QString::number(mebibytes / 1024, 'f', 1).replace('.', ','));
}

int ModelCatalogue::rowOf(const QString& id) const
{
    const auto& models = m_catalogue.models();
    for (std::size_t row = 0; row < models.size(); ++row)
        if (text(models[row].id) == id)
            return int(row);
    return -1;
}

bool ModelCatalogue::isPresent(const QString& id) const
{
    const int row = rowOf(id);
    return row >= 0 && m_present[std::size_t(row)];
}

QVariantList ModelCatalogue::alternatives() const
{
    QVariantList options;
    const auto& models = m_catalogue.models();
    for (std::size_t row = 0; row < models.size(); ++row)
        if (m_present[row] && text(models[row].id) != m_chosen)
            options.append(QVariantMap{{QStringLiteral("value"), text(models[row].id)},
                                       {QStringLiteral("label"), text(models[row].label)}});
    return options;
}

void ModelCatalogue::refresh()
{
    const auto& models = m_catalogue.models();
    bool changed = false;
    for (std::size_t row = 0; row < models.size(); ++row) {
        const bool present = m_store.present(m_catalogue.source(models[row].id));
        if (present == m_present[row])
            continue;
        m_present[row] = present;
        changed = true;
        emit dataChanged(index(int(row)), index(int(row)), {PresentRole});
    }
    if (changed)
        emit presenceChanged();
}

void ModelCatalogue::choose(const QString& id)
{
    const int row = rowOf(id);
    if (row < 0)
        return;
    if (id != m_chosen) {
        const int before = rowOf(m_chosen);
        m_chosen = id;
        m_preferences.setValue(QString::fromLatin1(preferenceKey), id);
        m_speech.setModel(id.toStdString());
        for (int changed : {before, row})
            if (changed >= 0)
                emit dataChanged(index(changed), index(changed), {ChosenRole});
        emit chosenChanged();
        emit presenceChanged();
    }
    if (!m_present[std::size_t(row)])
        download(id);
}

void ModelCatalogue::download(const QString& id)
{
    const int row = rowOf(id);
    if (row < 0 || !m_downloading.isEmpty() || m_present[std::size_t(row)])
        return;
    m_downloading = id;
    m_progress = 0;
    m_reportedPerMille = -1;
    setMessage({});
    emit downloadingChanged();
    emit progressChanged();

    const ModelSource source = m_catalogue.source(id.toStdString());
    const ModelStore::Ticket ticket = m_store.ticket();
    using Outcome = Result<std::filesystem::path, TranscriberError>;
    m_worker.run<Outcome>(
        [this, source, ticket, id] {
            // Progress arrives every few kilobytes; the view needs a step per
            // thousandth at most.
            return m_store.ensure(
                source,
                [this, id](const DownloadProgress& progress) {
                    if (progress.total == 0)
                        return;
                    const int perMille = int(progress.received * 1000 / progress.total);
                    if (m_reportedPerMille.exchange(perMille) == perMille)
                        return;
                    QMetaObject::invokeMethod(
                        this, [guard = QPointer<ModelCatalogue>(this), id, perMille] {
                            if (guard)
                                guard->onProgress(id, perMille / 1000.0);
                        },
                        Qt::QueuedConnection);
                },
                ticket);
        },
        [this, id](Outcome result) { finishDownload(id, result); });
}

void ModelCatalogue::onProgress(const QString& id, double fraction)
{
    if (id != m_downloading || fraction == m_progress)
        return;
    m_progress = fraction;
    emit progressChanged();
}

void ModelCatalogue::finishDownload(const QString& id, const Result<std::filesystem::path, TranscriberError>& result)
{
    m_downloading.clear();
    if (result) {
        m_progress = 1;
        emit progressChanged();
    } else if (result.error().kind != TranscriberError::Kind::downloadCancelled) {
        log(LogArea::app, QStringLiteral("modelo"), id + QStringLiteral(": ") + text(result.error().description()));
        setMessage(text(result.error().description()));
    }
    emit downloadingChanged();
    refresh();
    emit downloadFinished(id, result.ok());
}

void ModelCatalogue::cancel()
{
    if (!m_downloading.isEmpty())
        m_store.cancel();
}

void ModelCatalogue::remove(const QString& id)
{
    const int row = rowOf(id);
    if (row < 0 || id == m_chosen || id == m_downloading)
        return;
    m_store.remove(m_catalogue.source(id.toStdString()));
    refresh();
}

void ModelCatalogue::setMessage(const QString& message)
{
    if (message == m_message)
        return;
    m_message = message;
    emit messageChanged();
}

} // namespace quaro
