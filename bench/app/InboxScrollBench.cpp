// Scrolls the recado list of the real inbox window over an inbox of 10 000
// recados (the list shows the newest InboxState::inboxLimit of them), on
// the display in DISPLAY and with the application's renderer, and prints
// frames per second, the frame-time distribution and how many card
// delegates were made while scrolling. Asserts nothing.
//
// Usage: quaro_inbox_scroll_bench [SECONDS]   (under Xvfb: see desktop_bench.py)
#include "app/CaptureFakes.h"
#include "app/desktop/DesktopBridge.h"
#include "app/state/InboxState.h"
#include "app/state/LaunchAtLogin.h"
#include "app/state/Preferences.h"
#include "app/windows/AppState.h"
#include "app/windows/InboxWindow.h"
#include "core/QuaroPaths.h"
#include "core/QuaroStore.h"
#include "core/Uuid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QQmlEngine>
#include <QQuickItem>
#include <QSettings>
#include <QTemporaryDir>
#include <QtQml/qqmlextensionplugin.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

Q_IMPORT_QML_PLUGIN(Quaro_UiPlugin)

using namespace quaro;

namespace {

constexpr int recadoCount = 10'000;
constexpr double stepPixels = 24; // per frame: a brisk flick at 60 frames per second

bool fill(const std::vector<Destino>& destinos)
{
    auto opened = QuaroStore::open(QuaroPaths::databaseURL());
    if (!opened)
        return false;
    QuaroStore store = std::move(opened).value();
    const RecadoStatus mix[] = {RecadoStatus::resolvido, RecadoStatus::pendente, RecadoStatus::pego,
                                RecadoStatus::falhou};
    (void)store.database().execute("BEGIN;");
    for (int i = 0; i < recadoCount; ++i) {
        const std::string n = std::to_string(i);
        const Recado r{.id = makeUUID(),
                       .createdAt = 1.7e9 + i * 60.0,
                       .duration = 12.5,
                       .transcript = "isso é pro roadmap: revisar as metas do trimestre, conversar com a equipe "
                                     "sobre prazos e mandar o resumo para o time " + n,
                       .title = "Revisar as metas do trimestre e o orçamento " + n,
                       .destinoID = destinos[std::size_t(i) % destinos.size()].id,
                       .status = mix[i % 4],
                       .language = "pt-BR"};
        if (!store.insert(r))
            return false;
    }
    return store.database().execute("COMMIT;").ok();
}

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    const auto at = static_cast<std::size_t>(p / 100.0 * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(at, values.size() - 1)];
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME", "XDG_CACHE_HOME"})
        setenv(name, home.path().toUtf8().constData(), 1);
    // As the application draws.
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND"))
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QApplication app(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;

    AppStateParts parts;
    parts.preferences = std::make_unique<Preferences>(
        std::make_unique<QSettings>(home.filePath(QStringLiteral("Quaro.conf")), QSettings::IniFormat),
        LaunchAtLogin(QStringLiteral("/usr/bin/quaro"), home.filePath(QStringLiteral("quaro.desktop"))));
    parts.device = std::make_unique<testing::FakeCaptureDevice>();
    parts.speech = std::make_unique<testing::ScriptedSpeechEngine>();
    auto created = AppState::create(std::move(parts));
    if (!created) {
        std::fprintf(stderr, "%s\n", created.error().description().c_str());
        return 1;
    }
    std::unique_ptr<AppState> state = std::move(created).value();
    if (!fill(state->inbox()->destinoList())) {
        std::fprintf(stderr, "could not fill the inbox\n");
        return 1;
    }
    state->inbox()->setInboxFilterText(QStringLiteral("all"));

    QQmlEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
    DesktopBridge desktop(*state->capture());
    InboxWindow window(&engine, *state, desktop, false);
    window.open();
    auto* cards = window.rootObject() ? window.rootObject()->findChild<QQuickItem*>(QStringLiteral("recadoCards"))
                                      : nullptr;
    if (!cards) {
        std::fprintf(stderr, "no recado list in the inbox window\n");
        return 1;
    }
    // The first frames settle before anything is counted.
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 1500)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);

    auto* content = qvariant_cast<QQuickItem*>(cards->property("contentItem"));
    const int rows = cards->property("count").toInt();
    // Each card item is marked when first seen: a card made during the
    // scroll is one without the mark, even at a reused address.
    int made = 0;
    const auto look = [&] {
        for (QQuickItem* item : content->childItems()) {
            if (!item->property("scrollBenchSeen").toBool()) {
                item->setProperty("scrollBenchSeen", true);
                ++made;
            }
        }
    };
    look();
    const int atStart = made;

    std::vector<double> frames;
    QElapsedTimer clock;
    QElapsedTimer sinceLast;
    double direction = 1;
    QObject::connect(&window, &QQuickWindow::frameSwapped, &app, [&] {
        if (sinceLast.isValid())
            frames.push_back(static_cast<double>(sinceLast.nsecsElapsed()) / 1e6);
        sinceLast.start();
        look();
        if (static_cast<double>(clock.elapsed()) >= seconds * 1000) {
            app.quit();
            return;
        }
        // Down to the end of the list, then back up, and again.
        const double top = cards->property("originY").toDouble();
        const double bottom = top + cards->property("contentHeight").toDouble() - cards->height();
        double y = cards->property("contentY").toDouble() + direction * stepPixels;
        if (y >= bottom || y <= top)
            direction = -direction;
        cards->setProperty("contentY", std::clamp(y, top, bottom));
        window.update();
    });
    clock.start();
    window.update();
    app.exec();

    if (frames.empty()) {
        std::fprintf(stderr, "no frames\n");
        return 1;
    }
    double total = 0;
    for (double f : frames)
        total += f;
    std::printf("inbox scroll: %d recados (%d cards in the list), %.1f s, %zu frames\n", recadoCount, rows,
                static_cast<double>(clock.elapsed()) / 1000, frames.size());
    std::printf("  %.1f frames/s; frame time median %.1f ms, p95 %.1f ms, worst %.1f ms\n",
                1000.0 * static_cast<double>(frames.size()) / total, percentile(frames, 50), percentile(frames, 95),
                *std::max_element(frames.begin(), frames.end()));
    // Without reuse every card scrolled into view is made anew: about
    // `rows` per pass.
    std::printf("  card items: %d before scrolling, %d more made while passing %d cards (%s)\n", atStart,
                made - atStart, rows, made - atStart < rows / 4 ? "delegates recycled" : "delegates made anew");
    return 0;
}
