#pragma once

#include <QAbstractListModel>

#include <cstddef>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

namespace quaro {

// Base of the list models that mirror the inbox: rows with a unique string
// key, replaced wholesale on every reload yet announced to views as the
// smallest set of removals, insertions, moves and changes, so that a view
// keeps its scroll position and selection across the periodic reload and
// hears nothing when nothing changed. Main thread only.
class KeyedListModel : public QAbstractListModel {
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    using QAbstractListModel::QAbstractListModel;

    int count() const { return rowCount(); }

signals:
    void countChanged();

protected:
    // Makes `rows` equal to `next`. `key(row)` gives a row's key; rows
    // compare with ==. Duplicate keys in `next` fall back to a reset.
    template <typename Row, typename Key>
    void applyRows(std::vector<Row>& rows, std::vector<Row> next, Key key);

private:
    template <typename Row, typename Key>
    void removeMissing(std::vector<Row>& rows, const std::unordered_set<std::string>& wanted, Key key);
    template <typename Row, typename Key>
    void placeInOrder(std::vector<Row>& rows, std::vector<Row>& next, Key key);
    template <typename Row>
    void replaceIfChanged(std::vector<Row>& rows, std::size_t at, Row& row);
};

template <typename Row, typename Key>
void KeyedListModel::applyRows(std::vector<Row>& rows, std::vector<Row> next, Key key)
{
    const std::size_t before = rows.size();
    std::unordered_set<std::string> wanted;
    for (const Row& row : next)
        wanted.insert(key(row));
    if (wanted.size() != next.size()) {
        beginResetModel();
        rows = std::move(next);
        endResetModel();
    } else {
        removeMissing(rows, wanted, key);
        placeInOrder(rows, next, key);
    }
    if (rows.size() != before)
        emit countChanged();
}

// Removes, from the end, each run of rows whose key is not wanted any more.
template <typename Row, typename Key>
void KeyedListModel::removeMissing(std::vector<Row>& rows, const std::unordered_set<std::string>& wanted, Key key)
{
    std::size_t end = rows.size();
    while (end > 0) {
        if (wanted.contains(key(rows[end - 1]))) {
            --end;
            continue;
        }
        std::size_t first = end - 1;
        while (first > 0 && !wanted.contains(key(rows[first - 1])))
            --first;
        beginRemoveRows({}, static_cast<int>(first), static_cast<int>(end - 1));
        rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(first), rows.begin() + static_cast<std::ptrdiff_t>(end));
        endRemoveRows();
        end = first;
    }
}

// Walks `next` in order: a row already in place is updated, one further down
// is moved up, and each run of new rows is inserted at once. Every row left
// in `rows` is wanted, so at the end both lists hold the same keys in order.
template <typename Row, typename Key>
void KeyedListModel::placeInOrder(std::vector<Row>& rows, std::vector<Row>& next, Key key)
{
    std::unordered_set<std::string> present;
    for (const Row& row : rows)
        present.insert(key(row));
    for (std::size_t i = 0; i < next.size();) {
        if (i < rows.size() && key(rows[i]) == key(next[i])) {
            replaceIfChanged(rows, i, next[i]);
            ++i;
        } else if (present.contains(key(next[i]))) {
            std::size_t from = i + 1;
            while (key(rows[from]) != key(next[i]))
                ++from;
            beginMoveRows({}, int(from), int(from), {}, int(i));
            Row moved = std::move(rows[from]);
            rows.erase(rows.begin() + std::ptrdiff_t(from));
            rows.insert(rows.begin() + std::ptrdiff_t(i), std::move(moved));
            endMoveRows();
            replaceIfChanged(rows, i, next[i]);
            ++i;
        } else {
            std::size_t last = i;
            while (last + 1 < next.size() && !present.contains(key(next[last + 1])))
                ++last;
            beginInsertRows({}, int(i), int(last));
            rows.insert(rows.begin() + std::ptrdiff_t(i), std::make_move_iterator(next.begin() + std::ptrdiff_t(i)),
                        std::make_move_iterator(next.begin() + std::ptrdiff_t(last + 1)));
            endInsertRows();
            i = last + 1;
        }
    }
}

template <typename Row>
void KeyedListModel::replaceIfChanged(std::vector<Row>& rows, std::size_t at, Row& row)
{
    if (rows[at] == row)
        return;
    rows[at] = std::move(row);
    const QModelIndex changed = index(int(at));
    emit dataChanged(changed, changed);
}

} // namespace quaro
