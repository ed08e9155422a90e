#pragma once

#include "app/state/KeyedListModel.h"
#include "core/Destino.h"
#include "core/Recado.h"

#include <QVariantMap>

#include <optional>
#include <vector>

namespace quaro {

// A list of recados for QML (the panel's recent ones, the inbox window's
// list), each row also carrying its destino's name and colour. Updated by
// InboxState on every reload. Main thread only.
// The base is spelled in full: QML type registration matches bases by the spelled name.
class RecadoListModel : public quaro::KeyedListModel {
    Q_OBJECT

public:
    enum Role {
        IdRole = Qt::UserRole + 1,
        TitleRole,
        TranscriptRole,
        StatusRole,      // raw value, "pendente"
        StatusLabelRole, // "Pendente"
        DestinoIDRole,   // empty when none
        DestinoNameRole, // empty when none or unknown
        DestinoColorRole,
        CreatedAtRole,   // QDateTime
        DurationRole,    // seconds
        DurationTextRole, // "1:05"
        AudioPathRole,
        HasAudioRole,
        ClaimedByRole,
        ClaimedAtRole,   // QDateTime, invalid when none
        ResultRole,
        ResolvedAtRole,  // QDateTime, invalid when none
        LanguageRole,
        // What the card's menu and the detail offer (RecadoOffers.h).
        MenuCanResolveRole,
        MenuCanReopenRole,
        MenuCanTranscribeAgainRole,
        DetailCanResolveRole,
        DetailCanReopenRole,
    };
    Q_ENUM(Role)

    using KeyedListModel::KeyedListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // Shows `recados` in this order; `destinos` name their destinos.
    void setRecados(std::vector<Recado> recados, const std::vector<Destino>& destinos);
    const Recado& recado(int row) const { return m_rows.at(std::size_t(row)).recado; }

    // For a view that shows one recado apart from the list (the inbox's
    // detail): the row holding `id`, or -1; and a row's values keyed by role
    // name, plus "destinoInstruction" (empty without a destino).
    Q_INVOKABLE int rowOf(const QString& id) const;
    Q_INVOKABLE QVariantMap get(int row) const;

private:
    struct Row {
        Recado recado;
        std::optional<Destino> destino;
        bool operator==(const Row&) const = default;
    };
    QVariant value(const Row& row, int role) const;

    std::vector<Row> m_rows;
};

} // namespace quaro
