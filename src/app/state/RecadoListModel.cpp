#include "app/state/RecadoListModel.h"

#include "app/common/QtStrings.h"
#include "app/state/FormatDuration.h"
#include "app/state/RecadoOffers.h"

#include <QDateTime>

#include <algorithm>
#include <cmath>

namespace quaro {

namespace {
QDateTime dateTime(Timestamp seconds)
{
    return QDateTime::fromMSecsSinceEpoch(std::llround(seconds * 1000), Qt::UTC);
}

QVariant optionalDateTime(const std::optional<Timestamp>& seconds)
{
    return seconds ? QVariant(dateTime(*seconds)) : QVariant(QDateTime());
}
} // namespace

int RecadoListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant RecadoListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    return value(m_rows[std::size_t(index.row())], role);
}

QVariant RecadoListModel::value(const Row& row, int role) const
{
    const Recado& r = row.recado;
    switch (role) {
    case Qt::DisplayRole:
    case TitleRole: return toQString(r.title);
    case IdRole: return toQString(r.id);
    case TranscriptRole: return toQString(r.transcript);
    case StatusRole: return toQString(rawValue(r.status));
    case StatusLabelRole: return toQString(label(r.status));
    case DestinoIDRole: return toQString(r.destinoID);
    case DestinoNameRole: return row.destino ? toQString(row.destino->name) : QString();
    case DestinoColorRole: return row.destino ? toQString(row.destino->colorHex) : QString();
    case CreatedAtRole: return dateTime(r.createdAt);
    case DurationRole: return r.duration;
    case DurationTextRole: return formatDuration(r.duration);
    case AudioPathRole: return toQString(r.audioPath);
    case HasAudioRole: return r.audioPath.has_value() && !r.audioPath->empty();
    case ClaimedByRole: return toQString(r.claimedBy);
    case ClaimedAtRole: return optionalDateTime(r.claimedAt);
    case ResultRole: return toQString(r.result);
    case ResolvedAtRole: return optionalDateTime(r.resolvedAt);
    case LanguageRole: return toQString(r.language);
    case MenuCanResolveRole: return menuOffer(r.status).resolve;
    case MenuCanReopenRole: return menuOffer(r.status).reopen;
    case MenuCanTranscribeAgainRole: return menuOffer(r.status).transcribeAgain;
    case DetailCanResolveRole: return detailOffer(r.status).resolve;
    case DetailCanReopenRole: return detailOffer(r.status).reopen;
    default: return {};
    }
}

QHash<int, QByteArray> RecadoListModel::roleNames() const
{
    return {
        {IdRole, "id"},
        {TitleRole, "title"},
        {TranscriptRole, "transcript"},
        {StatusRole, "status"},
        {StatusLabelRole, "statusLabel"},
        {DestinoIDRole, "destinoID"},
        {DestinoNameRole, "destinoName"},
        {DestinoColorRole, "destinoColor"},
        {CreatedAtRole, "createdAt"},
        {DurationRole, "duration"},
        {DurationTextRole, "durationText"},
        {AudioPathRole, "audioPath"},
        {HasAudioRole, "hasAudio"},
        {ClaimedByRole, "claimedBy"},
        {ClaimedAtRole, "claimedAt"},
        {ResultRole, "result"},
        {ResolvedAtRole, "resolvedAt"},
        {LanguageRole, "language"},
        {MenuCanResolveRole, "menuCanResolve"},
        {MenuCanReopenRole, "menuCanReopen"},
        {MenuCanTranscribeAgainRole, "menuCanTranscribeAgain"},
        {DetailCanResolveRole, "detailCanResolve"},
        {DetailCanReopenRole, "detailCanReopen"},
    };
}

int RecadoListModel::rowOf(const QString& id) const
{
    const std::string key = id.toStdString();
    const auto found = std::find_if(m_rows.begin(), m_rows.end(), [&](const Row& row) { return row.recado.id == key; });
    return found == m_rows.end() ? -1 : int(found - m_rows.begin());
}

QVariantMap RecadoListModel::get(int row) const
{
    QVariantMap values;
    if (row < 0 || row >= rowCount())
        return values;
    const Row& shown = m_rows[std::size_t(row)];
    const auto names = roleNames();
    for (auto it = names.begin(); it != names.end(); ++it)
        values.insert(QString::fromLatin1(it.value()), value(shown, it.key()));
    values.insert(QStringLiteral("destinoInstruction"),
                  shown.destino ? toQString(shown.destino->instruction) : QString());
    return values;
}

void RecadoListModel::setRecados(std::vector<Recado> recados, const std::vector<Destino>& destinos)
{
    std::vector<Row> next;
    next.reserve(recados.size());
    for (Recado& recado : recados) {
        Row row{std::move(recado), std::nullopt};
        if (row.recado.destinoID) {
            const auto found = std::find_if(destinos.begin(), destinos.end(),
                                            [&](const Destino& d) { return d.id == *row.recado.destinoID; });
            if (found != destinos.end())
                row.destino = *found;
        }
        next.push_back(std::move(row));
    }
    applyRows(m_rows, std::move(next), [](const Row& row) -> const std::string& { return row.recado.id; });
}

} // namespace quaro
