// The capture flow against a real inbox in a temporary XDG home, the real
// importer, a scripted microphone and a scripted speech engine.
#include "CaptureFakes.h"
#include "StateTestSupport.h"
#include "media/Fixtures.h"
#include "support/TempHome.h"

#include "app/capture/CaptureFlow.h"
#include "app/capture/MicrophoneChoice.h"
#include "core/QuaroPaths.h"
#include "core/QuaroText.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <sys/stat.h>

using namespace quaro;
using namespace quaro::testing;
namespace fs = std::filesystem;

namespace {

std::string shown(const CapturePhase& phase)
{
    return phase.text().isEmpty() ? phase.name().toStdString() : (phase.name() + ":" + phase.text()).toStdString();
}

} // namespace

class CaptureFlowTest : public ::testing::Test {
public:
    CaptureFlowTest()
    {
        store.emplace(std::move(QuaroStore::open(QuaroPaths::databaseURL()).value()));
        select("Tavlo");
        CaptureHooks hooks{
            [this] { return choice; },
            [this] { return store->destinos().value(); },
            [] {},
            [this](const Recado& recado, const std::optional<Destino>& destino) { ready.push_back({recado, destino}); },
            [this] { ++kicks; },
        };
        CaptureTiming timing;
        timing.schedule = [this](int ms, std::function<void()> hide) { hides.push_back({ms, std::move(hide)}); };
        flow = std::make_unique<CaptureFlow>(*store, device, speech, QuaroPaths::audioDirectory(), hooks, timing);
        QObject::connect(flow.get(), &CaptureFlow::phaseChanged, [this] { phases.push_back(shown(flow->currentPhase())); });
        QObject::connect(flow.get(), &CaptureFlow::noticeChanged, [this] { notices.push_back(flow->notice().toStdString()); });
    }
    ~CaptureFlowTest() override { flow.reset(); }

    void select(const std::optional<std::string>& name)
    {
        choice.selectedDestinoID.reset();
        choice.selectedDestinoName = name;
        const auto destinos = store->destinos().value();
        for (const Destino& destino : destinos)
            if (name && destino.name == *name)
                choice.selectedDestinoID = destino.id;
    }
    std::string phase() const { return flow->phaseName().toStdString(); }
    std::optional<Recado> recado(const std::string& id) { return store->recado(id).value(); }
    std::vector<Recado> recados() { return store->recados(std::nullopt, std::nullopt, std::nullopt, 100).value(); }
    std::string destinoName(const std::optional<std::string>& id)
    {
        auto destino = store->destino(id).value();
        return destino ? destino->name : "";
    }
    std::string record(double seconds = 2.0)
    {
        device.secondsValue = seconds;
        flow->startRecording();
        flow->stopAndSend();
        return device.startedFiles.back().stem().string();
    }
    bool transcribed(const std::string& id)
    {
        return waitFor([&] {
            auto row = recado(id);
            return row && row->status != RecadoStatus::transcrevendo && flow->pendingWork() == 0;
        });
    }
    void failInserts(bool on)
    {
        ASSERT_TRUE(store->database().execute(on ? "CREATE TEMP TRIGGER full BEFORE INSERT ON recado BEGIN "
                                                   "SELECT RAISE(ABORT, 'database or disk is full'); END;"
                                                 : "DROP TRIGGER temp.full;"));
    }
    void fireHides()
    {
        for (auto& [ms, hide] : hides)
            hide();
    }

    // What the interface saw (hides not yet run) and the hides asked for;
    // then, the hides run, what was filed and whether the recording's file stayed.
    void expectRoad(const std::vector<std::string>& seen, const std::vector<int>& hideDelays, std::size_t filed,
                    bool fileKept)
    {
        ASSERT_TRUE(waitFor([&] { return phases == seen; })) << ::testing::PrintToString(phases);
        EXPECT_TRUE(waitFor([&] { return recados().size() == filed && flow->pendingWork() == 0; }));
        std::vector<int> delays;
        for (auto& [ms, hide] : hides)
            delays.push_back(ms);
        EXPECT_EQ(delays, hideDelays);
        fireHides();
        EXPECT_EQ(phase(), "idle");
        EXPECT_EQ(recados().size(), filed);
        const fs::path file = device.startedFiles.back();
        EXPECT_TRUE(waitFor([&] { return fs::exists(file) == fileKept; })) << file;
    }

    TempHome home;
    std::optional<QuaroStore> store;
    FakeCaptureDevice device;
    ScriptedSpeechEngine speech;
    CaptureChoice choice;
    std::unique_ptr<CaptureFlow> flow;
    std::vector<std::string> phases, notices;
    std::vector<std::pair<int, std::function<void()>>> hides;
    std::vector<std::pair<Recado, std::optional<Destino>>> ready;
    int kicks = 0;
};

TEST_F(CaptureFlowTest, UnderSixTenthsOfASecondFilesNothing)
{
    record(0.59);
    expectRoad({"recording", "idle"}, {}, 0, false);
}

TEST_F(CaptureFlowTest, ToggledTwiceAtSixTenthsIsSent)
{
    device.secondsValue = 0.6;
    flow->toggleRecording();
    flow->toggleRecording();
    expectRoad({"recording", "sent:Tavlo"}, {2400}, 1, true);
}

TEST_F(CaptureFlowTest, AFailedStopIsShownAndTheFileKept)
{
    device.stopError = RecorderError::notRecording();
    record();
    expectRoad({"recording", "sent:Tavlo", "failed:Nada estava sendo gravado."}, {2400, 3000}, 0, true);
}

TEST_F(CaptureFlowTest, ARecordingThatStopsByItselfFails)
{
    flow->startRecording();
    device.unexpectedStop(device.startedFiles.back(), std::nullopt);
    expectRoad({"recording", "failed:A gravação parou sozinha. Tente de novo."}, {3000}, 0, false);
}

TEST_F(CaptureFlowTest, LateCallbacksNeverActOnTheNextRecording)
{
    device.holdCallbacks = true;
    speech.hold();
    const std::string first = record();
    const fs::path firstFile = device.startedFiles.back();
    flow->startRecording(); // during "sent": recording at once
    EXPECT_EQ(phase(), "recording");
    const fs::path secondFile = device.startedFiles.back();
    fireHides(); // the first recording's hide
    EXPECT_EQ(phase(), "recording");

    FakeCaptureDevice::deliver(device.starts);              // first start, after its stop
    FakeCaptureDevice::deliver(device.stops);               // first stop, late: filed
    device.unexpectedStop(firstFile, RecorderError::system("disco cheio"));
    FakeCaptureDevice::deliver(device.starts);              // second start
    EXPECT_EQ(phase(), "recording");
    EXPECT_TRUE(fs::exists(firstFile) && fs::exists(secondFile));
    EXPECT_TRUE(waitFor([&] { return recado(first).has_value(); }));

    const std::string second = record();
    FakeCaptureDevice::deliver(device.stops);
    hides.front().second(); // the first hide, very late: the second message stays
    EXPECT_EQ(phase(), "sent");
    EXPECT_FALSE(flow->lastTranscriptionDone());
    speech.allowOne(); // the first recording's transcript: not the one the widget waits for
    ASSERT_TRUE(waitFor([&] { return recado(first)->status == RecadoStatus::pendente; }));
    EXPECT_FALSE(flow->lastTranscriptionDone());
    speech.release();
    ASSERT_TRUE(transcribed(second));
    EXPECT_TRUE(flow->lastTranscriptionDone());

    // A start answered after the recording was dropped changes nothing.
    flow->startRecording();
    const fs::path dropped = device.startedFiles.back();
    flow->discard();
    FakeCaptureDevice::deliver(device.starts);
    FakeCaptureDevice::deliver(device.stops);
    EXPECT_EQ(phase(), "idle");
    EXPECT_FALSE(fs::exists(dropped));
    EXPECT_EQ(recados().size(), 2u);
}

enum class InsertFailure { none, once, always };

struct FilingCase {
    const char* name;
    std::optional<std::string> selected;
    Result<std::string, TranscriberError> transcript;
    bool keepAudio;
    InsertFailure insertFailure;
    // Expected: status (absent: no row at all), destino, audio file kept,
    // notifications, the phase after the transcription, a log line.
    std::optional<RecadoStatus> status;
    std::string destino;
    bool fileKept;
    std::size_t notified;
    std::string phase;
    std::string log;
};

class CaptureFilingTest : public CaptureFlowTest, public ::testing::WithParamInterface<FilingCase> {};

TEST_P(CaptureFilingTest, FilesTheRecording)
{
    const FilingCase& row = GetParam();
    select(row.selected);
    choice.keepAudio = row.keepAudio;
    speech.fallback = row.transcript;
    speech.hold();
    if (row.insertFailure != InsertFailure::none)
        failInserts(true);
    ::testing::internal::CaptureStderr();
    const fs::path audioFolder = home.data() / "Quaro" / "Audio";
    fs::remove_all(audioFolder);

    const std::string id = record(3.0);
    EXPECT_EQ(fileMode(audioFolder), 0700);
    const fs::path file = device.startedFiles.back();
    ASSERT_TRUE(waitFor([&] { return flow->pendingWork() == 1; }));
    EXPECT_EQ(flow->phaseText().toStdString(), row.selected.value_or("Caixa"));
    if (row.insertFailure == InsertFailure::once)
        failInserts(false);
    speech.release();
    ASSERT_TRUE(waitFor([&] { return flow->lastTranscriptionDone(); }));
    const std::string log = ::testing::internal::GetCapturedStderr();

    const auto filed = recado(id);
    ASSERT_EQ(filed.has_value(), row.status.has_value());
    if (filed) {
        EXPECT_EQ(filed->status, *row.status);
        EXPECT_EQ(destinoName(filed->destinoID), row.destino);
        EXPECT_EQ(filed->duration, 3.0);
        EXPECT_EQ(filed->audioPath.has_value(), row.fileKept);
        if (row.status == RecadoStatus::pendente) {
            EXPECT_EQ(filed->transcript, *row.transcript);
            EXPECT_EQ(filed->title, QuaroText::title(*row.transcript));
        } else {
            const bool silent = row.transcript && row.transcript->find_first_not_of(" \n") == std::string::npos;
            EXPECT_EQ(filed->title, silent ? "Não ouvi nenhuma fala." : "Não deu para transcrever");
        }
    }
    EXPECT_EQ(fs::exists(file), row.fileKept);
    if (row.fileKept) {
        EXPECT_EQ(fileMode(file), 0600);
    }
    ASSERT_EQ(ready.size(), row.notified);
    if (!ready.empty()) {
        EXPECT_EQ(ready.front().second ? ready.front().second->name : "", row.destino);
    }
    EXPECT_EQ(shown(flow->currentPhase()), row.phase);
    EXPECT_NE(log.find(row.log), std::string::npos) << log;
    EXPECT_GE(kicks, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Capture, CaptureFilingTest,
    ::testing::Values(
        FilingCase{"SpokenDestinoWins", "Tavlo", std::string("Isso é pro Roadmap: revisar as metas do trimestre."),
                   true, InsertFailure::none, RecadoStatus::pendente, "Roadmap", true, 1, "sent:Tavlo", ""},
        FilingCase{"NoDestino", std::nullopt, std::string("Comprar pão."), true, InsertFailure::none,
                   RecadoStatus::pendente, "", true, 1, "sent:Caixa", ""},
        FilingCase{"TextOnly", "Tavlo", std::string("Comprar pão."), false, InsertFailure::none,
                   RecadoStatus::pendente, "Tavlo", false, 1, "sent:Tavlo", ""},
        FilingCase{"TranscriptionFailsKeepsTheAudio", "Tavlo",
                   Failure{TranscriberError::unsupportedLanguage("pt-BR")}, false, InsertFailure::none,
                   RecadoStatus::falhou, "Tavlo", true, 0, "sent:Tavlo", "[Quaro] transcrição: "},
        // Silence with "keep only text": the audio stays, nothing reaches an AI.
        FilingCase{"NothingHeardKeepsTheAudio", "Tavlo", std::string(" \n"), false, InsertFailure::none,
                   RecadoStatus::falhou, "Tavlo", true, 0, "sent:Tavlo", "[Quaro] transcrição: "},
        FilingCase{"InsertRetriedWithTheTranscript", "Tavlo", std::string("Comprar pão."), false,
                   InsertFailure::once, RecadoStatus::pendente, "Tavlo", false, 1, "sent:Tavlo",
                   "[Quaro] insert: Erro no banco: database or disk is full"},
        FilingCase{"InsertFailsTwiceShowsFailureKeepsTheAudio", "Tavlo", std::string("Comprar pão."), false,
                   InsertFailure::always, std::nullopt, "", true, 0,
                   "failed:Erro no banco: database or disk is full", "[Quaro] insert: "}),
    [](const ::testing::TestParamInfo<FilingCase>& info) { return info.param.name; });

struct ImportCase {
    const char* name;
    std::vector<std::string> files; // *.wav: 1 s of tone; curto.wav: 0.1 s; fila.wav: a FIFO; others: text
    bool insertFails;
    std::vector<std::string> notices;
    std::size_t filed;
};

class CaptureImportTest : public CaptureFlowTest, public ::testing::WithParamInterface<ImportCase> {};

TEST_P(CaptureImportTest, ImportsAndSaysSo)
{
    const ImportCase& row = GetParam();
    TempDir sources;
    QList<QUrl> urls;
    for (const std::string& name : row.files) {
        const fs::path path = sources / name;
        if (name == "fila.wav")
            ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
        else if (name.ends_with(".wav"))
            makeTone(sources, name, name == "curto.wav" ? 0.1 : 1.0, 16000);
        else
            writeBytes(path, {'o', 'l', 'a'});
        urls.push_back(QUrl::fromLocalFile(QString::fromStdString(path.string())));
    }
    if (row.insertFails)
        failInserts(true);
    flow->importAudio(urls);
    ASSERT_TRUE(waitFor([&] { return notices.size() == row.notices.size() && flow->pendingWork() == 0; }))
        << ::testing::PrintToString(notices);
    EXPECT_EQ(notices, row.notices);
    const auto filed = recados();
    ASSERT_EQ(filed.size(), row.filed);
    std::size_t copies = 0;
    for (const auto& entry : fs::directory_iterator(QuaroPaths::audioDirectory())) {
        EXPECT_EQ(fileMode(entry.path()), 0600);
        ++copies;
    }
    EXPECT_EQ(copies, row.filed) << "no orphan copies";
    for (const Recado& recado : filed) {
        EXPECT_EQ(recado.status, RecadoStatus::pendente);
        EXPECT_EQ(destinoName(recado.destinoID), "Tavlo");
        EXPECT_NEAR(recado.duration, 1.0, 0.05);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Capture, CaptureImportTest,
    ::testing::Values(
        ImportCase{"Several", {"a.wav", "b.wav"}, false,
                   {"Importando 2 áudios…", "2 áudios importados. Transcrevendo no computador…"}, 2},
        ImportCase{"Mixed", {"a.wav", "leia.txt", "ruim.mp3", "curto.wav"}, false,
                   {"Importando 3 áudios…", "Não consegui abrir ruim.mp3."}, 1},
        // Nothing would ever arrive from the pipe: it is not read at all.
        ImportCase{"Fifo", {"fila.wav"}, false,
                   {"Esse arquivo não é um áudio que o Quaro lê (m4a, mp3, wav, opus…)."}, 0},
        ImportCase{"InsertFails", {"nota.wav"}, true,
                   {"Importando nota.wav…", "Erro no banco: database or disk is full"}, 0}),
    [](const ::testing::TestParamInfo<ImportCase>& info) { return info.param.name; });

// Recados a crash left transcribing fail at the next start. A failed or
// pendente recado with its audio is transcribed again in place, once at a
// time, with the model asked for, keeping its own destino unless the new text
// names one; a failed pass leaves the earlier text.
TEST_F(CaptureFlowTest, InterruptedOrPendenteRecadosAreTranscribedAgainInPlace)
{
    const fs::path audio = QuaroPaths::audioDirectory() / "NOTE.m4a";
    writeBytes(audio, {'a'});
    const auto roadmap = store->destinos().value()[2].id;
    using Row = std::tuple<const char*, RecadoStatus, std::optional<std::string>>;
    for (auto [id, status, path] : {Row{"A", RecadoStatus::transcrevendo, audio.string()},
                                    Row{"B", RecadoStatus::transcrevendo, std::nullopt},
                                    Row{"P", RecadoStatus::pendente, audio.string()},
                                    Row{"G", RecadoStatus::pego, audio.string()},
                                    Row{"R", RecadoStatus::resolvido, audio.string()},
                                    Row{"N", RecadoStatus::pendente, (audio / "x").string()}})
        ASSERT_TRUE(store->insert({id, 1.0e9, 4.0, path, "Texto antigo.", "Texto antigo", roadmap, status}));
    EXPECT_EQ(flow->recoverInterrupted(), 2);
    EXPECT_EQ(recado("A")->status, RecadoStatus::falhou);
    EXPECT_EQ(recado("B")->status, RecadoStatus::falhou);
    EXPECT_EQ(recado("P")->status, RecadoStatus::pendente);
    // An AI already acted on pego and resolvido; without its audio nothing can be heard again.
    for (const char* id : {"B", "G", "R", "N"}) {
        flow->transcribeAgain(id, "small");
        EXPECT_TRUE(!flow->canTranscribeAgain(id) && recado(id)->transcript == "Texto antigo.") << id;
    }

    speech.script.emplace(audio, std::string("Revisar as metas do trimestre."));
    speech.hold();
    flow->transcribeAgain("A");
    flow->transcribeAgain("A"); // already under way: not twice
    EXPECT_EQ(recado("A")->status, RecadoStatus::transcrevendo);
    speech.release();
    ASSERT_TRUE(transcribed("A"));
    EXPECT_EQ(recado("A")->transcript, "Revisar as metas do trimestre.");
    EXPECT_EQ(speech.order(), std::vector<fs::path>{audio});

    flow->transcribeAgain("P", "small");
    ASSERT_TRUE(transcribed("P"));
    EXPECT_EQ(recado("P")->status, RecadoStatus::pendente);
    EXPECT_EQ(recado("P")->title, QuaroText::title("Revisar as metas do trimestre."));
    EXPECT_EQ(recado("P")->audioPath, audio.string());
    EXPECT_EQ(destinoName(recado("P")->destinoID), "Roadmap");
    speech.script.insert_or_assign(audio, std::string("Isso é pro Tavlo: ligar para o fornecedor."));
    flow->transcribeAgain("P");
    ASSERT_TRUE(transcribed("P"));
    EXPECT_EQ(destinoName(recado("P")->destinoID), "Tavlo");
    EXPECT_EQ(speech.models, std::vector<std::string>{"small"}) << "only the pass that named a model used it";

    const Recado before = *recado("P");
    speech.script.insert_or_assign(audio, Failure{TranscriberError::recognition("sem memória")});
    flow->transcribeAgain("P", "small");
    ASSERT_TRUE(transcribed("P"));
    EXPECT_EQ(recado("P")->status, RecadoStatus::pendente);
    EXPECT_EQ(recado("P")->title, before.title);
    EXPECT_EQ(recado("P")->transcript, before.transcript);
}

TEST_F(CaptureFlowTest, TranscriptionsRunOneAtATimeInOrder)
{
    speech.hold();
    for (int i = 0; i < 3; ++i)
        record();
    ASSERT_TRUE(waitFor([&] { return flow->pendingWork() == 3; }));
    TempDir sources;
    makeTone(sources, "nota.wav", 1.0, 16000);
    flow->importAudio({QUrl::fromLocalFile(QString::fromStdString((sources / "nota.wav").string()))});
    ASSERT_TRUE(waitFor([&] { return recados().size() == 4 && flow->pendingWork() == 1 + 3; }));
    speech.release();
    ASSERT_TRUE(waitFor([&] { return flow->pendingWork() == 0; }));
    auto order = speech.order();
    ASSERT_EQ(order.size(), 4u);
    EXPECT_EQ(std::vector<fs::path>(order.begin(), order.begin() + 3), device.startedFiles);
    EXPECT_EQ(order[3].parent_path(), QuaroPaths::audioDirectory());
    EXPECT_EQ(speech.maxRunning(), 1);
}

// Stretches cut at the pauses are transcribed while recording (the
// application's road joins them); when the queue falls behind, the whole file
// goes in one pass.
TEST_F(CaptureFlowTest, LiveStretchesGiveWayToTheWholeFileWhenTheQueueFallsBehind)
{
    speech.hold();
    flow->startRecording();
    for (int i = 0; i < 4; ++i) {
        device.say(2.5);
        device.say(1.0, false);
    }
    device.secondsValue = 14.0;
    flow->stopAndSend();
    const std::string whole = device.startedFiles.back().stem().string();
    ASSERT_TRUE(waitFor([&] { return recado(whole).has_value(); }));
    speech.release();
    ASSERT_TRUE(transcribed(whole));
    EXPECT_EQ(recado(whole)->transcript, "Um recado qualquer.");
    EXPECT_EQ(speech.order().back(), device.startedFiles.back());
    EXPECT_EQ(flow->liveStretches(), 0);
}

// The system's default input is the one the sound server names (here the
// second device), and a chosen microphone that goes away stays chosen: the
// default stands in, the names say so, and it is used again when it returns.
TEST_F(CaptureFlowTest, MicrophonesFollowTheServerAndKeepTheChoice)
{
    TestHome settings;
    const auto prefs = settings.preferences();
    MicrophoneListModel* model = flow->microphones();
    MicrophoneChoice microphone(*model, *prefs);
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::Warning);
    QSignalSpy counted(model, &MicrophoneListModel::countChanged);
    device.defaultID = "mic-b";
    device.changed();
    EXPECT_EQ(microphone.name(), "Headset");
    EXPECT_EQ(microphone.optionIndex(), 0);
    microphone.setFollowsSystem(false); // pins the device in use, not the first one
    EXPECT_EQ(prefs->selectedMicID(), "mic-b");

    microphone.choose("mic-a");
    choice.selectedMicID = "mic-a";
    flow->startRecording();
    const Microphone alfa = device.mics.front();
    device.mics.erase(device.mics.begin()); // switched off mid-recording
    device.changed();
    EXPECT_EQ(counted.count(), 1);
    EXPECT_EQ(prefs->selectedMicID(), "mic-a");
    EXPECT_EQ(microphone.optionIndex(), -1);
    EXPECT_EQ(microphone.selectedID(), "mic-b");
    EXPECT_EQ(microphone.shortName(), "Padrão do sistema (Microfone USB Alfa ausente)");
    // Still away at the next start: whose place the default takes is kept.
    EXPECT_EQ(MicrophoneChoice(*model, *settings.preferences()).name(), microphone.name());

    device.mics.insert(device.mics.begin(), alfa);
    device.changed();
    EXPECT_EQ(microphone.shortName(), "Microfone");
    flow->discard();
    flow->switchMicrophone("mic-b"); // nothing to hand it to
    EXPECT_EQ(device.calls, (std::vector<std::string>{"start:mic-a", "switch:mic-a", "stop"}));
}

TEST_F(CaptureFlowTest, QuitWaitsForTheRecordingToBeFiledWithinABound)
{
    int quits = 0;
    std::size_t filedAtQuit = 0;
    const auto quit = [&] { filedAtQuit = recados().size(), ++quits; };
    flow->finishForQuit(60000, quit); // nothing recording: at once
    EXPECT_EQ(quits, 1);

    device.holdCallbacks = true;
    device.secondsValue = 3.0;
    flow->startRecording();
    FakeCaptureDevice::deliver(device.starts);
    flow->finishForQuit(60000, quit);
    QCoreApplication::processEvents();
    EXPECT_EQ(quits, 1) << "the file is still being closed";
    FakeCaptureDevice::deliver(device.stops);
    EXPECT_EQ(quits, 2);
    EXPECT_EQ(filedAtQuit, 1u) << "filed before quitting";

    // A stop that never ends: the bound ends the wait, once.
    flow->startRecording();
    FakeCaptureDevice::deliver(device.starts);
    flow->finishForQuit(10, quit);
    ASSERT_TRUE(waitFor([&] { return quits == 3; }));
    FakeCaptureDevice::deliver(device.stops);
    QCoreApplication::processEvents();
    EXPECT_EQ(quits, 3);
}
