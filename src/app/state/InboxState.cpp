#include "app/state/InboxState.h"

#include "app/common/QtStrings.h"
#include "app/state/DestinoPalette.h"
#include "app/state/Preferences.h"
#include "connect/CloudLink.h"
#include "core/Log.h"
#include "core/QuaroStore.h"
#include "core/Uuid.h"

#include <algorithm>
#include <array>

namespace quaro {

InboxState::InboxState(QuaroStore& store, Preferences& preferences, CloudLink& cloud, QObject* parent)
    : QObject(parent), m_store(store), m_preferences(preferences), m_cloud(cloud)
{
    connect(&m_preferences, &Preferences::selectedDestinoIDChanged, this, &InboxState::noteSelectedDestinoName);
}

// --- mirrored lists --------------------------------------------------------------

QVariantMap InboxState::counts() const
{
    QVariantMap map;
    for (const auto& [status, count] : m_counts)
        map.insert(toQString(rawValue(status)), int(count));
    return map;
}

int InboxState::pendingCount() const
{
    const auto found = m_counts.find(RecadoStatus::pendente);
    return found == m_counts.end() ? 0 : int(found->second);
}

void InboxState::reload()
{
    reloadLists();
    emit reloaded();
}

bool InboxState::reloadLists()
{
    auto destinos = m_store.destinos();
    if (!destinos)
        return logFailure(destinos.error());
    m_destinos.setDestinos(std::move(destinos).value());
    noteSelectedDestinoName();
    noteFilterTitle();

    auto counts = m_store.counts();
    if (!counts)
        return logFailure(counts.error());
    if (counts.value() != m_counts) {
        m_counts = std::move(counts).value();
        emit countsChanged();
    }

    auto recent = m_store.recados(std::nullopt, std::nullopt, std::nullopt, recentLimit);
    if (!recent)
        return logFailure(recent.error());
    m_recent.setRecados(std::move(recent).value(), m_destinos.destinos());

    auto filtered = filteredRecados();
    if (!filtered)
        return logFailure(filtered.error());
    m_filtered.setRecados(std::move(filtered).value(), m_destinos.destinos());
    return true;
}

Result<std::vector<Recado>, DatabaseError> InboxState::filteredRecados()
{
    const std::string search = m_search.toStdString();
    switch (m_filter.kind()) {
    case InboxFilter::Kind::status:
        return m_store.recados(m_filter.recadoStatus(), std::nullopt, search, inboxLimit);
    case InboxFilter::Kind::destino:
        return m_store.recados(std::nullopt, m_filter.destinoID(), search, inboxLimit);
    case InboxFilter::Kind::all:
        break;
    }
    return m_store.recados(std::nullopt, std::nullopt, search, inboxLimit);
}

bool InboxState::logFailure(const DatabaseError& error)
{
    log(LogArea::app, QStringLiteral("reload"), toQString(error.description()));
    return false;
}

void InboxState::setInboxFilter(const InboxFilter& filter)
{
    if (filter == m_filter)
        return;
    m_filter = filter;
    emit inboxFilterChanged();
    noteFilterTitle();
    reload();
}

void InboxState::setInboxFilterText(const QString& text)
{
    if (const auto filter = InboxFilter::fromText(text))
        setInboxFilter(*filter);
}

void InboxState::setInboxSearch(const QString& search)
{
    if (search == m_search)
        return;
    m_search = search;
    emit inboxSearchChanged();
    reload();
}

// --- destinos ----------------------------------------------------------------------

std::optional<Destino> InboxState::destino(const std::string& id) const
{
    const auto& list = m_destinos.destinos();
    const auto found = std::find_if(list.begin(), list.end(), [&](const Destino& d) { return d.id == id; });
    return found == list.end() ? std::nullopt : std::optional(*found);
}

std::optional<Destino> InboxState::destinoOf(const Recado& recado) const
{
    return recado.destinoID ? destino(*recado.destinoID) : std::nullopt;
}

std::optional<Destino> InboxState::selectedDestino() const
{
    const QString id = m_preferences.selectedDestinoID();
    return id.isEmpty() ? std::nullopt : destino(id.toStdString());
}

QString InboxState::selectedDestinoName() const { return m_selectedDestinoName; }

void InboxState::noteSelectedDestinoName()
{
    const auto selected = selectedDestino();
    const QString name = selected ? toQString(selected->name) : QString();
    if (name != m_selectedDestinoName) {
        m_selectedDestinoName = name;
        emit selectedDestinoNameChanged();
    }
    const int row = selected ? m_destinos.rowOf(toQString(selected->id)) : -1;
    if (row != m_selectedDestinoRow) {
        m_selectedDestinoRow = row;
        emit selectedDestinoRowChanged();
    }
}

void InboxState::noteFilterTitle()
{
    std::optional<QString> destinoName;
    if (m_filter.kind() == InboxFilter::Kind::destino)
        if (const auto shown = destino(m_filter.destinoID()))
            destinoName = toQString(shown->name);
    const QString title = m_filter.title(destinoName);
    if (title == m_filterTitle)
        return;
    m_filterTitle = title;
    emit inboxFilterTitleChanged();
}

void InboxState::ensureSelectedDestino()
{
    if (selectedDestino())
        return;
    const auto& list = m_destinos.destinos();
    m_preferences.setSelectedDestinoID(list.empty() ? QString() : toQString(list.front().id));
}

void InboxState::saveDestino(const QString& id, const QString& name, const QString& instruction,
                             const QString& colorHex, qint64 sort)
{
    if (id.isEmpty())
        return finishAction(false);
    const Destino destino{.id = id.toStdString(), .name = name.toStdString(), .instruction = instruction.toStdString(),
                          .colorHex = colorHex.toStdString(), .sort = sort};
    finishAction(m_store.saveDestino(destino).ok());
}

QString InboxState::addDestino()
{
    const auto& list = m_destinos.destinos();
    std::int64_t sort = 1;
    for (const Destino& d : list)
        sort = std::max(sort, d.sort + 1);
    const Destino destino{.id = makeUUID(),
                          .name = "Novo destino",
                          .instruction = "Diga à IA o que fazer com os recados deste destino.",
                          .colorHex = std::string(destinoPalette[list.size() % destinoCycle]),
                          .sort = sort};
    saveDestino(toQString(destino.id), toQString(destino.name), toQString(destino.instruction),
                toQString(destino.colorHex), destino.sort);
    return toQString(destino.id);
}

bool InboxState::hasDestino(const QString& id) const
{
    return !id.isEmpty() && destino(id.toStdString()).has_value();
}

void InboxState::deleteDestino(const QString& id)
{
    // The list before the reload decides where the selection goes.
    const std::vector<Destino> before = m_destinos.destinos();
    // A failed delete leaves the destino in place, and the selection with it.
    if (m_store.deleteDestino(id.toStdString()) && m_preferences.selectedDestinoID() == id) {
        const auto next = std::find_if(before.begin(), before.end(),
                                       [&](const Destino& d) { return toQString(d.id) != id; });
        m_preferences.setSelectedDestinoID(next == before.end() ? QString() : toQString(next->id));
    }
    // Deleting a destino is not something cloud mode carries.
    reload();
}

// --- recado actions ----------------------------------------------------------------

bool InboxState::stillShows(const QString& id, const QString& seenStatus)
{
    const auto seen = recadoStatus(seenStatus.toStdString());
    const auto current = m_store.recado(id.toStdString());
    return seen && current && current.value() && current.value()->status == *seen;
}

void InboxState::resolveManually(const QString& id, const QString& seenStatus)
{
    if (!stillShows(id, seenStatus))
        return finishAction(false);
    const auto resolved = m_store.resolve(id.toStdString(), "Resolvido à mão no Quaro.", std::string("Você"));
    finishAction(resolved && resolved.value());
}

void InboxState::reopen(const QString& id, const QString& seenStatus)
{
    const bool act = stillShows(id, seenStatus);
    finishAction(act && m_store.reopen(id.toStdString()).ok());
}

void InboxState::deleteRecado(const QString& id, const QString& seenStatus)
{
    const bool act = stillShows(id, seenStatus);
    finishAction(act && m_store.deleteRecado(id.toStdString()).ok());
}

void InboxState::move(const QString& id, const QString& destinoID)
{
    finishAction(m_store.setDestino(id.toStdString(), optionalString(destinoID)).ok());
}

// Failures are not reported: the reload shows the real state either way.
void InboxState::finishAction(bool changed)
{
    reload();
    if (changed)
        kickCloud();
}

void InboxState::kickCloud()
{
    if (m_cloud.enabled())
        m_cloud.kick();
}

} // namespace quaro
