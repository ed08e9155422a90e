// Times InboxState::reload() on an inbox of 10 000 recados in a private data
// folder: the whole reload under each inbox filter, and the store queries it
// is made of. Prints median and 99th percentile; asserts nothing.
#include "app/state/InboxState.h"
#include "app/state/Preferences.h"
#include "connect/CloudLink.h"
#include "core/QuaroPaths.h"
#include "core/QuaroStore.h"
#include "core/Uuid.h"

#include <QCoreApplication>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <vector>

using namespace quaro;

namespace {

constexpr int recadoCount = 10'000;
constexpr int rounds = 300;

void fill(QuaroStore& store, const std::vector<Destino>& destinos)
{
    // Mostly settled work, as an inbox that has been used for a while looks.
    const RecadoStatus mix[] = {RecadoStatus::resolvido, RecadoStatus::resolvido, RecadoStatus::resolvido,
                                RecadoStatus::pendente,  RecadoStatus::pego,      RecadoStatus::falhou};
    (void)store.database().execute("BEGIN;");
    for (int i = 0; i < recadoCount; ++i) {
        const Recado r{.id = makeUUID(),
                       .createdAt = 1.7e9 + i * 60.0,
                       .duration = 12.5,
                       .audioPath = "/home/ana/.local/share/Quaro/Audio/x.m4a",
                       .transcript = "isso é pro roadmap: revisar as metas do trimestre e mandar para o time " +
                                     std::to_string(i),
                       .title = "Revisar as metas do trimestre " + std::to_string(i),
                       .destinoID = destinos[std::size_t(i / 6) % destinos.size()].id,
                       .status = mix[i % 6],
                       .language = "pt-BR"};
        if (!store.insert(r)) {
            std::fprintf(stderr, "insert failed\n");
            std::exit(1);
        }
    }
    (void)store.database().execute("COMMIT;");
}

double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// Wall time is what the user feels; on a shared, loaded machine the CPU time
// of this thread is the steadier figure, so both are printed.
void report(const char* name, const std::function<void()>& work)
{
    for (int i = 0; i < 5; ++i)
        work();
    std::vector<double> wall;
    std::vector<double> cpu;
    for (int i = 0; i < rounds; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = threadCpuMs();
        work();
        cpu.push_back(threadCpuMs() - cpuStart);
        wall.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    const auto median = [](const std::vector<double>& v) { return v[v.size() / 2]; };
    const auto p99 = [](const std::vector<double>& v) { return v[v.size() * 99 / 100]; };
    std::printf("%-34s wall median %7.3f ms  p99 %7.3f ms   cpu median %7.3f ms  p99 %7.3f ms\n", name,
                median(wall), p99(wall), median(cpu), p99(cpu));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir home;
    setenv("XDG_DATA_HOME", home.path().toUtf8().constData(), 1);
    auto opened = QuaroStore::open(QuaroPaths::databaseURL());
    if (!opened) {
        std::fprintf(stderr, "%s\n", opened.error().description().c_str());
        return 1;
    }
    QuaroStore store = std::move(opened).value();
    Preferences prefs(std::make_unique<QSettings>(home.filePath("Quaro.conf"), QSettings::IniFormat),
                      LaunchAtLogin(QStringLiteral("/usr/bin/quaro"), home.filePath("quaro.desktop")));
    OfflineCloudLink cloud;
    InboxState state(store, prefs, cloud);
    state.reload();
    fill(store, state.destinoList());
    std::printf("InboxState::reload() on %d recados, %d rounds\n", recadoCount, rounds);

    report("reload, status:pendente", [&] { state.reload(); });
    state.setInboxFilterText(QStringLiteral("all"));
    report("reload, all", [&] { state.reload(); });
    state.setInboxFilterText(QStringLiteral("destino:") + QString::fromStdString(state.destinoList()[0].id));
    report("reload, destino", [&] { state.reload(); });
    state.setInboxFilterText(QStringLiteral("status:pendente"));
    state.setInboxSearch(QStringLiteral("metas"));
    report("reload, status:pendente + search", [&] { state.reload(); });

    report("  store.destinos()", [&] { (void)store.destinos(); });
    report("  store.counts()", [&] { (void)store.counts(); });
    report("  store.recados(limit 4)", [&] { (void)store.recados(std::nullopt, std::nullopt, std::nullopt, 4); });
    report("  store.recados(pendente, 200)",
           [&] { (void)store.recados(RecadoStatus::pendente, std::nullopt, std::nullopt, 200); });
    report("  store.recados(all, 200)", [&] { (void)store.recados(std::nullopt, std::nullopt, std::nullopt, 200); });
    return 0;
}
