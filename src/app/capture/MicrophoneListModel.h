#pragma once

#include "media/Microphone.h"

#include <QAbstractListModel>

#include <optional>
#include <string>
#include <vector>

namespace quaro {

// The microphones for the interface, in the platform's order, with the roles
// `id`, `name` and `shortName`. Main thread.
class MicrophoneListModel : public QAbstractListModel {
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)
public:
    enum Role { IdRole = Qt::UserRole + 1, NameRole, ShortNameRole };

    explicit MicrophoneListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return static_cast<int>(m_microphones.size()); }
    const std::vector<Microphone>& microphones() const { return m_microphones; }
    bool contains(const std::string& id) const;
    // The row of that id, -1 when it is not listed.
    int rowOf(const std::string& id) const;
    // The system's default input; absent when the server names none.
    const std::optional<std::string>& defaultID() const { return m_defaultID; }

    // Replaces the list; views are only reset when it actually changed.
    void setMicrophones(std::vector<Microphone> microphones);
    void setDefaultID(std::optional<std::string> id);

signals:
    void countChanged();
    void defaultIDChanged();

private:
    std::vector<Microphone> m_microphones;
    std::optional<std::string> m_defaultID;
};

} // namespace quaro
