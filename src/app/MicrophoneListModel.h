#pragma once

#include "media/Microphone.h"

#include <QAbstractListModel>

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

    // Replaces the list; views are only reset when it actually changed.
    void setMicrophones(std::vector<Microphone> microphones);

signals:
    void countChanged();

private:
    std::vector<Microphone> m_microphones;
};

} // namespace quaro
