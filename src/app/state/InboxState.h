#pragma once

#include "app/state/DestinoListModel.h"
#include "app/state/InboxFilter.h"
#include "app/state/RecadoListModel.h"
#include "core/DatabaseError.h"
#include "core/Destino.h"
#include "core/Recado.h"
#include "core/Result.h"

#include <QObject>
#include <QString>
#include <QVariantMap>

#include <map>
#include <optional>
#include <vector>

namespace quaro {

class CloudLink;
class Preferences;
class QuaroStore;

// The inbox as the interface sees it: destinos, counts, the panel's recent
// recados and the inbox window's filtered list, mirrored from the store by
// reload() (the owner calls it at start and every 2 s, since other processes
// write the same database), and what the user does to recados and destinos.
// Each action re-reads the store, then reloads and, when something changed,
// asks cloud mode to sync. Recado actions take the status the user was shown
// and do nothing when the stored status has moved on meanwhile (an AI
// claimed or resolved it), so a stale button never undoes an AI's work.
// Borrows the store, preferences and cloud link, which must outlive it.
// Main thread only.
class InboxState final : public QObject {
    Q_OBJECT
    Q_PROPERTY(quaro::DestinoListModel* destinos READ destinos CONSTANT)
    Q_PROPERTY(quaro::RecadoListModel* recent READ recent CONSTANT)
    Q_PROPERTY(quaro::RecadoListModel* filtered READ filtered CONSTANT)
    Q_PROPERTY(QVariantMap counts READ counts NOTIFY countsChanged)
    Q_PROPERTY(int pendingCount READ pendingCount NOTIFY countsChanged)
    Q_PROPERTY(QString inboxFilter READ inboxFilterText WRITE setInboxFilterText NOTIFY inboxFilterChanged)
    // The list's heading under the filter; follows a destino's renaming.
    Q_PROPERTY(QString inboxFilterTitle READ inboxFilterTitle NOTIFY inboxFilterTitleChanged)
    Q_PROPERTY(QString inboxSearch READ inboxSearch WRITE setInboxSearch NOTIFY inboxSearchChanged)
    Q_PROPERTY(QString selectedDestinoName READ selectedDestinoName NOTIFY selectedDestinoNameChanged)
    // The selected destino's row in `destinos`, or -1 (the panel's picker).
    Q_PROPERTY(int selectedDestinoRow READ selectedDestinoRow NOTIFY selectedDestinoRowChanged)

public:
    static constexpr int recentLimit = 4;
    static constexpr int inboxLimit = 200;

    InboxState(QuaroStore& store, Preferences& preferences, CloudLink& cloud, QObject* parent = nullptr);

    DestinoListModel* destinos() { return &m_destinos; }
    RecadoListModel* recent() { return &m_recent; }
    RecadoListModel* filtered() { return &m_filtered; }

    // Raw status -> number of recados; statuses without recados are missing.
    QVariantMap counts() const;
    int pendingCount() const;

    const InboxFilter& inboxFilter() const { return m_filter; }
    // Each change of filter or search reloads.
    void setInboxFilter(const InboxFilter& filter);
    QString inboxFilterText() const { return m_filter.text(); }
    void setInboxFilterText(const QString& text); // unreadable text is ignored
    QString inboxFilterTitle() const { return m_filterTitle; }
    QString inboxSearch() const { return m_search; }
    void setInboxSearch(const QString& search);

    // The selected destino's name, or empty when none is selected.
    QString selectedDestinoName() const;
    int selectedDestinoRow() const { return m_selectedDestinoRow; }

    // Refreshes every list from the store, in order (destinos, counts,
    // recent, inbox), stopping at the first failure, which is logged; lists
    // refreshed before it keep their new contents. Emits reloaded().
    Q_INVOKABLE void reload();
    // Asks cloud mode, when it is on, to carry local changes soon (the
    // capture flow calls it after filing a transcription).
    void kickCloud();

    std::vector<Destino> destinoList() const { return m_destinos.destinos(); }
    // From the list of the last reload.
    std::optional<Destino> destino(const std::string& id) const;
    std::optional<Destino> destinoOf(const Recado& recado) const;
    std::optional<Destino> selectedDestino() const;
    // When no destino is selected, or the selected one is gone: selects the
    // first destino, or none when there is none, and stores the choice.
    void ensureSelectedDestino();

    // Recado actions. `seenStatus` is the raw status the user was shown.
    Q_INVOKABLE void resolveManually(const QString& id, const QString& seenStatus);
    Q_INVOKABLE void reopen(const QString& id, const QString& seenStatus);
    Q_INVOKABLE void deleteRecado(const QString& id, const QString& seenStatus);
    // An empty destinoID detaches the recado from any destino.
    Q_INVOKABLE void move(const QString& id, const QString& destinoID);

    // Destino maintenance.
    Q_INVOKABLE void saveDestino(const QString& id, const QString& name, const QString& instruction,
                                 const QString& colorHex, qint64 sort);
    // Files a new destino with the next palette colour and the next sort
    // position; returns its id.
    Q_INVOKABLE QString addDestino();
    // Moves the recording selection off the deleted destino.
    Q_INVOKABLE void deleteDestino(const QString& id);
    // Whether the destino was there at the last reload: an editor's last
    // save, arriving after a delete, must not file the destino again.
    Q_INVOKABLE bool hasDestino(const QString& id) const;

signals:
    void countsChanged();
    void inboxFilterChanged();
    void inboxSearchChanged();
    void selectedDestinoNameChanged();
    void selectedDestinoRowChanged();
    void inboxFilterTitleChanged();
    void reloaded();

private:
    bool reloadLists();
    // The inbox window's list under the current filter and search.
    Result<std::vector<Recado>, DatabaseError> filteredRecados();
    bool logFailure(const DatabaseError& error);
    // Whether the recado still has the status the user was shown.
    bool stillShows(const QString& id, const QString& seenStatus);
    void finishAction(bool changed);
    void noteSelectedDestinoName();
    void noteFilterTitle();

    QuaroStore& m_store;
    Preferences& m_preferences;
    CloudLink& m_cloud;

    DestinoListModel m_destinos;
    RecadoListModel m_recent;
    RecadoListModel m_filtered;
    std::map<RecadoStatus, std::int64_t> m_counts;
    InboxFilter m_filter;
    QString m_search;
    QString m_selectedDestinoName;
    int m_selectedDestinoRow = -1;
    QString m_filterTitle = m_filter.title(std::nullopt);
};

} // namespace quaro
