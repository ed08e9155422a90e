// The inbox lists announce each reload as the smallest change, checked by
// Qt's own model tester, and never reset under a view.
#include "StateTestSupport.h"

#include "app/state/RecadoListModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <cmath>

using namespace quaro;
using namespace quaro::testing;

namespace {

Recado recado(const std::string& id, const std::string& title = "t", std::optional<std::string> destinoID = {})
{
    return Recado{.id = id, .createdAt = 1000, .title = title, .destinoID = std::move(destinoID)};
}

std::vector<Recado> recados(std::initializer_list<const char*> ids)
{
    std::vector<Recado> list;
    for (const char* id : ids)
        list.push_back(recado(id));
    return list;
}

struct Signals {
    explicit Signals(RecadoListModel& model)
        : inserted(&model, &QAbstractItemModel::rowsInserted), removed(&model, &QAbstractItemModel::rowsRemoved),
          moved(&model, &QAbstractItemModel::rowsMoved), changed(&model, &QAbstractItemModel::dataChanged),
          reset(&model, &QAbstractItemModel::modelReset), count(&model, &KeyedListModel::countChanged)
    {
    }
    QSignalSpy inserted, removed, moved, changed, reset, count;
};

TEST(RecadoListModel, EachReloadIsAppliedAsAMinimalChange)
{
    struct Step {
        std::initializer_list<const char*> next;
        int inserted, removed, moved;
    };
    // Applied in order to one model, from an empty list.
    const Step steps[] = {
        {{"A", "B", "C"}, 1, 0, 0},           // first fill: one insertion of three rows
        {{"A", "B", "C"}, 0, 0, 0},           // nothing new: silence
        {{"N", "M", "A", "B", "C"}, 1, 0, 0}, // two new on top
        {{"N", "A", "C"}, 0, 2, 0},           // two gone, apart
        {{"C", "N", "A"}, 0, 0, 1},           // one moved up
        {{"X", "C", "Y", "A", "Z"}, 3, 1, 0}, // mixed
        {{}, 0, 1, 0},                        // emptied
    };
    RecadoListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    for (const Step& step : steps) {
        Signals spy(model);
        const int before = model.rowCount();
        model.setRecados(recados(step.next), {});
        QStringList expected;
        for (const char* id : step.next)
            expected << id;
        EXPECT_EQ(ids(model), expected);
        EXPECT_EQ(spy.inserted.count(), step.inserted) << expected.join(',').toStdString();
        EXPECT_EQ(spy.removed.count(), step.removed) << expected.join(',').toStdString();
        EXPECT_EQ(spy.moved.count(), step.moved) << expected.join(',').toStdString();
        EXPECT_EQ(spy.changed.count(), 0);
        EXPECT_EQ(spy.reset.count(), 0);
        EXPECT_EQ(spy.count.count(), before == model.rowCount() ? 0 : 1);
    }
}

TEST(RecadoListModel, ChangedRowsAndTheirDestinosAreReportedAlone)
{
    RecadoListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    const std::vector<Destino> destinos = {{.id = "D1", .name = "Roadmap", .colorHex = "#FFAE56"}};
    model.setRecados({recado("A", "a", "D1"), recado("B", "b"), recado("C", "c", "D1")}, destinos);
    EXPECT_EQ(model.index(1).data(RecadoListModel::DestinoNameRole).toString(), QString());

    Signals spy(model);
    model.setRecados({recado("A", "a", "D1"), recado("B", "b2"), recado("C", "c", "D1")}, destinos);
    ASSERT_EQ(spy.changed.count(), 1);
    EXPECT_EQ(spy.changed.at(0).at(0).toModelIndex().row(), 1);
    EXPECT_EQ(model.index(1).data(RecadoListModel::TitleRole).toString(), QStringLiteral("b2"));

    // A renamed destino changes the rows that show it.
    const std::vector<Destino> renamed = {{.id = "D1", .name = "Metas", .colorHex = "#FFAE56"}};
    model.setRecados({recado("A", "a", "D1"), recado("B", "b2"), recado("C", "c", "D1")}, renamed);
    EXPECT_EQ(spy.changed.count(), 3);
    EXPECT_EQ(model.index(2).data(RecadoListModel::DestinoNameRole).toString(), QStringLiteral("Metas"));
    EXPECT_EQ(spy.inserted.count() + spy.removed.count() + spy.moved.count() + spy.reset.count(), 0);
}

// What the roles compute rather than copy: the duration text (never
// "NaN:NaN") and times in milliseconds, an absent one invalid.
TEST(RecadoListModel, RolesShowTheRecadoAsTheInterfaceNeedsIt)
{
    RecadoListModel model;
    Recado r = recado("A", "Revisar metas");
    r.duration = std::nan("");
    r.createdAt = 1'780'000'000.5;
    model.setRecados({r}, {});
    const QModelIndex row = model.index(0);
    EXPECT_EQ(row.data(RecadoListModel::DurationTextRole).toString(), QStringLiteral("0:00"));
    EXPECT_EQ(row.data(RecadoListModel::CreatedAtRole).toDateTime().toMSecsSinceEpoch(), 1'780'000'000'500);
    EXPECT_FALSE(row.data(RecadoListModel::ResolvedAtRole).toDateTime().isValid());
}

} // namespace
