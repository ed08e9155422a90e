// Import speed of a 60 s WhatsApp-style Ogg Opus note and a 60 s mp3, each
// beside the ffmpeg command line doing the same conversion, and the cost of
// the recorder's buffer path per second of 48 kHz stereo input.
#include "media/AudioImport.h"
#include "media/RecorderCore.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

namespace fs = std::filesystem;
using namespace quaro;

namespace {

double now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double threadCpu()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

double childrenCpu()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

bool run(const std::string& command)
{
    return std::system(("(" + command + ") >/dev/null 2>&1").c_str()) == 0;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Figures {
    double wall;
    double cpu;
};

Figures timeQuaro(const fs::path& source, const fs::path& dir)
{
    std::vector<double> walls, cpus;
    for (int i = 0; i < 5; ++i) {
        const double w0 = now(), c0 = threadCpu();
        auto result = AudioImport::importFile(source, "BENCH", dir);
        walls.push_back(now() - w0);
        cpus.push_back(threadCpu() - c0);
        if (!result) {
            std::fprintf(stderr, "import failed: %s\n", result.error().description().c_str());
            std::exit(1);
        }
    }
    return {median(walls), median(cpus)};
}

Figures timeFfmpeg(const fs::path& source, const fs::path& dir, const std::string& extra = {})
{
    std::vector<double> walls, cpus;
    for (int i = 0; i < 5; ++i) {
        const double w0 = now(), c0 = childrenCpu();
        if (!run("ffmpeg -nostdin -y -threads 1 -i '" + source.string() + "' -ac 1 -ar 48000 -c:a aac -b:a 64k " + extra + " '"
                 + (dir / "ffmpeg.m4a").string() + "'")) {
            std::fprintf(stderr, "ffmpeg failed\n");
            std::exit(1);
        }
        walls.push_back(now() - w0);
        cpus.push_back(childrenCpu() - c0);
    }
    return {median(walls), median(cpus)};
}

void report(const char* name, const Figures& quaro, const Figures& ffmpeg, const Figures& sameCoder)
{
    std::printf("%-22s quaro  %7.1f ms wall  %7.1f ms cpu  %6.0fx real time\n", name, quaro.wall * 1e3,
                quaro.cpu * 1e3, 60.0 / quaro.cpu);
    std::printf("%-22s ffmpeg %7.1f ms wall  %7.1f ms cpu  %6.0fx real time   (quaro/ffmpeg wall %.2f)\n", "",
                ffmpeg.wall * 1e3, ffmpeg.cpu * 1e3, 60.0 / ffmpeg.cpu, quaro.wall / ffmpeg.wall);
    std::printf("%-22s ffmpeg %7.1f ms wall  %7.1f ms cpu  %6.0fx real time   (with Quaro's encoder settings)\n", "",
                sameCoder.wall * 1e3, sameCoder.cpu * 1e3, 60.0 / sameCoder.cpu);
}

class NullSession : public CaptureSession {
public:
    std::optional<Microphone> device(const std::string&) override { return Microphone{"bench", "Bench"}; }
    std::optional<Microphone> defaultDevice() override { return Microphone{"bench", "Bench"}; }
    Result<void, RecorderError> attach(const Microphone&) override { return {}; }
    bool prepareOutput() override { return true; }
    bool isRunning() const override { return running; }
    void startRunning() override { running = true; }
    void stopRunning() override { running = false; }
    bool running = false;
};

class DiscardSink : public RecordingSink {
public:
    Result<void, AudioWriteError> write(const float*, std::size_t) override { return {}; }
    Result<void, AudioWriteError> close() override { return {}; }
};

// CPU seconds spent in the buffer path per second of 48 kHz stereo float
// input, fed in 10 ms buffers as a capture device delivers them.
double bufferPathCost(const fs::path& file, bool encode)
{
    NullSession session;
    RecordingSinkFactory discard = [](const fs::path&) -> Result<std::unique_ptr<RecordingSink>, AudioWriteError> {
        return std::unique_ptr<RecordingSink>(new DiscardSink);
    };
    RecorderCore recorder(session, encode ? aacRecordingSinkFactory() : discard);
    if (!recorder.start(std::nullopt, file)) {
        std::fprintf(stderr, "recorder start failed\n");
        std::exit(1);
    }
    const int seconds = 60;
    std::vector<float> buffer(480 * 2);
    const void* plane = buffer.data();
    double phase = 0;
    double cpu = 0;
    for (int b = 0; b < seconds * 100; ++b) {
        for (std::size_t i = 0; i < 480; ++i, phase += 0.0576) {
            buffer[2 * i] = float(0.3 * std::sin(phase));
            buffer[2 * i + 1] = float(0.3 * std::sin(phase * 1.5));
        }
        const double c0 = threadCpu();
        (void)recorder.handleBuffer({{SampleType::float32, 48000, 2, true}, 480, &plane});
        cpu += threadCpu() - c0;
    }
    const double c0 = threadCpu();
    (void)recorder.stop();
    cpu += threadCpu() - c0;
    return cpu / seconds;
}

} // namespace

int main()
{
    std::string pattern = (fs::temp_directory_path() / "quaro-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        return 1;
    const fs::path dir = pattern;

    // 60 s of speech: espeak-ng sentences, looped and cut to length.
    const std::string wav = (dir / "fala.wav").string();
    const std::string speech = (dir / "fala60.wav").string();
    if (!run("espeak-ng -v pt-br -w '" + wav
             + "' 'isso é pro Roadmap: revisar as metas do trimestre e preparar a apresentação para a equipe'")
        || !run("sox '" + wav + "' -r 48000 '" + speech + "' repeat 20 trim 0 60")
        || !run("sox '" + speech + "' -r 16000 '" + (dir / "fala16k.wav").string() + "'")
        || !run("opusenc --quiet --bitrate 16 --framesize 60 '" + (dir / "fala16k.wav").string() + "' '"
                + (dir / "nota.ogg").string() + "'")
        || !run("ffmpeg -nostdin -y -i '" + speech + "' -ar 44100 -ac 2 -b:a 128k '" + (dir / "musica.mp3").string()
                + "'")) {
        std::fprintf(stderr, "could not make the fixtures (espeak-ng, sox, opusenc, ffmpeg)\n");
        return 1;
    }

    std::printf("Import of 60 s of audio, median of 5 (one thread each)\n");
    for (const auto& [name, file] : {std::pair{"Ogg Opus voice note", dir / "nota.ogg"},
                                     std::pair{"mp3 128k stereo", dir / "musica.mp3"}})
        report(name, timeQuaro(file, dir / "out"), timeFfmpeg(file, dir), timeFfmpeg(file, dir, "-aac_coder fast -aac_tns 0 -cutoff 12000"));

    std::printf("\nRecorder buffer path, 48 kHz stereo float in 10 ms buffers\n");
    const double convertOnly = bufferPathCost(dir / "rec0.m4a", false);
    const double withAac = bufferPathCost(dir / "rec1.m4a", true);
    std::printf("level + conversion        %7.3f ms cpu per second of input  (%.3f%% of one core)\n",
                convertOnly * 1e3, convertOnly * 100);
    std::printf("level + conversion + AAC  %7.3f ms cpu per second of input  (%.3f%% of one core)\n",
                withAac * 1e3, withAac * 100);

    std::error_code ec;
    fs::remove_all(dir, ec);
    return 0;
}
