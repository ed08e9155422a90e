// Prints the speed and memory figures of on-device transcription:
//  - whisper with a random-weight model of the multilingual "base" dimensions
//    (the cost of the encoder does not depend on the weights' values): model
//    load time, encoder real-time factor on 30 s of audio, real-time factor of
//    the whole primary path, peak memory;
//  - the PocketSphinx fallback's real-time factor on its own test recording;
//  - for every published model the machine can hold (tiny, base, small,
//    large-v3-turbo; 16-bit and quantized as whisper.cpp publishes them,
//    random weights of the real dimensions): encoder real-time factor on 30 s
//    and peak memory, each in a process of its own; and the encoder of base
//    with 1, 2 and 4 threads. `speech_bench quick` skips these; large-v3-turbo
//    (a 1.6 GB model, minutes per pass on 2 cores) only with `speech_bench all`.
// Targets on a 2-core machine: encoder RTF <= 0.3, load <= 0.5 s, peak <= 500 MiB.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <thread>
#include <vector>

#include <whisper.h>

#include "RandomWhisperModel.h"
#include "SpeechTestSupport.h"
#include "speech/PocketSphinxRecognizer.h"
#include "speech/WhisperModel.h"

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

long peakKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

// Speech-like test signal: a gliding tone with noise and pauses.
std::vector<float> recording(double duration)
{
    std::mt19937 random(7);
    std::normal_distribution<float> noise(0.0f, 0.02f);
    std::vector<float> samples(static_cast<std::size_t>(duration * 16000));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double t = static_cast<double>(i) / 16000.0;
        const double envelope = std::fmod(t, 1.5) < 1.1 ? 0.3 : 0.0;
        samples[i] = static_cast<float>(envelope * std::sin(2 * M_PI * (180 + 40 * std::sin(t)) * t)) + noise(random);
    }
    return samples;
}

long availableKiB()
{
    std::ifstream meminfo("/proc/meminfo");
    std::string line;
    while (std::getline(meminfo, line)) {
        if (line.rfind("MemAvailable:", 0) == 0)
            return std::strtol(line.c_str() + 13, nullptr, 10);
    }
    return -1;
}

// Loads the model and encodes `audio` `runs` times with `threads`, in a child
// process, so that its peak memory is the model's alone. Prints one line.
void encoderFigures(const char* label, const std::filesystem::path& model, const std::vector<float>& audio,
                    int threads, int runs)
{
    std::fflush(stdout);
    const pid_t child = fork();
    if (child < 0)
        return;
    if (child > 0) {
        int status = 0;
        waitpid(child, &status, 0);
        return;
    }
    whisper_context_params cparams = whisper_context_default_params();
    cparams.use_gpu = false;
    cparams.flash_attn = false;
    auto started = Clock::now();
    whisper_context* context = whisper_init_from_file_with_params_no_state(model.c_str(), cparams);
    whisper_state* state = context ? whisper_init_state(context) : nullptr;
    if (!state) {
        std::printf("  %-22s whisper could not load it\n", label);
        std::fflush(stdout);
        _exit(1);
    }
    const double load = seconds(started);
    std::vector<double> encodes, cpu;
    for (int i = 0; i < runs; ++i) {
        const double cpuBefore = cpuSeconds();
        started = Clock::now();
        whisper_pcm_to_mel_with_state(context, state, audio.data(), static_cast<int>(audio.size()), threads);
        whisper_encode_with_state(context, state, 0, threads);
        encodes.push_back(seconds(started));
        cpu.push_back(cpuSeconds() - cpuBefore);
    }
    const double duration = static_cast<double>(audio.size()) / 16000.0;
    // CPU time over the threads is what the encoder takes on idle cores.
    std::printf("  %-22s file %6.0f MiB  load %5.2f s  encoder %6.2f s (RTF %.3f)  CPU %6.2f s (RTF %.3f on %d idle "
                "cores)  peak %6.0f MiB\n",
                label, static_cast<double>(std::filesystem::file_size(model)) / (1024.0 * 1024.0), load,
                median(encodes), median(encodes) / duration, median(cpu), median(cpu) / threads / duration, threads,
                static_cast<double>(peakKiB()) / 1024.0);
    std::fflush(stdout);
    _exit(0);
}

// The published multilingual models above "base", beside the tests' tiny and base.
quaro::testing::WhisperDims smallDims()
{
    quaro::testing::WhisperDims d;
    d.audioState = d.textState = 768;
    d.audioHead = d.textHead = 12;
    d.audioLayer = d.textLayer = 12;
    return d;
}

quaro::testing::WhisperDims largeV3TurboDims()
{
    quaro::testing::WhisperDims d;
    d.vocab = 51866;
    d.audioState = d.textState = 1280;
    d.audioHead = d.textHead = 20;
    d.audioLayer = 32;
    d.textLayer = 4;
    d.mels = 128;
    return d;
}

// Quantized weights as whisper.cpp's quantizer writes them: its version in the file type.
quaro::testing::WeightStorage quantized(ggml_type type, ggml_ftype fileType)
{
    return {type, fileType + GGML_QNT_VERSION * GGML_QNT_VERSION_FACTOR};
}

void modelFigures(const std::filesystem::path& dir, const std::vector<float>& audio, int threads, bool turbo)
{
    using quaro::testing::WeightStorage;
    using quaro::testing::WhisperDims;
    struct Model {
        const char* name;
        WhisperDims dims;
        std::vector<std::pair<const char*, WeightStorage>> kinds;
    };
    const WeightStorage f16, q5_0 = quantized(GGML_TYPE_Q5_0, GGML_FTYPE_MOSTLY_Q5_0),
                             q5_1 = quantized(GGML_TYPE_Q5_1, GGML_FTYPE_MOSTLY_Q5_1),
                             q8_0 = quantized(GGML_TYPE_Q8_0, GGML_FTYPE_MOSTLY_Q8_0);
    const std::vector<Model> models{
        {"tiny", WhisperDims::tiny(), {{"", f16}, {"-q5_1", q5_1}, {"-q8_0", q8_0}}},
        {"base", WhisperDims::base(), {{"", f16}, {"-q5_1", q5_1}, {"-q8_0", q8_0}}},
        {"small", smallDims(), {{"", f16}, {"-q5_1", q5_1}, {"-q8_0", q8_0}}},
        {"large-v3-turbo", largeV3TurboDims(), {{"", f16}, {"-q5_0", q5_0}, {"-q8_0", q8_0}}},
    };
    std::printf("every model, encoder on %.0f s with %d threads (random weights of the real dimensions):\n",
                static_cast<double>(audio.size()) / 16000.0, threads);
    for (const Model& model : models) {
        if (!turbo && model.dims.audioLayer > 12)
            continue;
        for (const auto& [suffix, kind] : model.kinds) {
            const std::string label = std::string(model.name) + suffix;
            const auto path = dir / ("ggml-" + label + ".bin");
            if (!quaro::testing::writeRandomWhisperModel(path, model.dims, 1, kind)) {
                std::printf("  %-22s cannot write it\n", label.c_str());
                continue;
            }
            // The model, its copy in the page cache and the encoder's work.
            const auto need = static_cast<long>(std::filesystem::file_size(path) / 1024 * 2 + 512 * 1024);
            if (availableKiB() < need)
                std::printf("  %-22s skipped: needs about %ld MiB, %ld MiB available\n", label.c_str(), need / 1024,
                            availableKiB() / 1024);
            else
                encoderFigures(label.c_str(), path, audio, threads, 1);
            if (std::string(model.name) == "base" && std::string(suffix).empty()) {
                for (int n : {1, 2, 4})
                    encoderFigures(("base, " + std::to_string(n) + " thread(s)").c_str(), path, audio, n, 1);
            }
            std::error_code ec;
            std::filesystem::remove(path, ec);
        }
    }
}

double loadAverage()
{
    double load[1] = {0};
    return getloadavg(load, 1) == 1 ? load[0] : -1;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    const bool quick = mode == "quick";
    const int threads = static_cast<int>(std::min(4u, std::max(1u, std::thread::hardware_concurrency())));
    char pattern[] = "/tmp/quaro-speech-bench-XXXXXX";
    if (!mkdtemp(pattern)) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::filesystem::path dir = pattern;
    const auto modelPath = dir / "ggml-base-random.bin";

    whisper_log_set([](ggml_log_level, const char*, void*) {}, nullptr);
    std::printf("speech bench: %d threads, load average %.2f at start\n", threads, loadAverage());
    auto started = Clock::now();
    if (!quaro::testing::writeRandomWhisperModel(modelPath, quaro::testing::WhisperDims::base())) {
        std::fprintf(stderr, "cannot write the model\n");
        return 1;
    }
    std::printf("random base model: %.1f MiB written in %.2f s\n",
                static_cast<double>(std::filesystem::file_size(modelPath)) / (1024.0 * 1024.0), seconds(started));

    const double duration = 30.0;
    const auto audio = recording(duration);

    // Encoder alone, through whisper's own API with a state of its own.
    whisper_context_params cparams = whisper_context_default_params();
    cparams.use_gpu = false;
    cparams.flash_attn = false;
    whisper_context* context = whisper_init_from_file_with_params_no_state(modelPath.c_str(), cparams);
    whisper_state* state = context ? whisper_init_state(context) : nullptr;
    if (!state) {
        std::fprintf(stderr, "whisper could not load the model\n");
        return 1;
    }
    std::vector<double> encodes, encodeCpu;
    for (int i = 0; i < 3; ++i) {
        const double cpu = cpuSeconds();
        started = Clock::now();
        whisper_pcm_to_mel_with_state(context, state, audio.data(), static_cast<int>(audio.size()), threads);
        whisper_encode_with_state(context, state, 0, threads);
        encodes.push_back(seconds(started));
        encodeCpu.push_back(cpuSeconds() - cpu);
    }
    whisper_free_state(state);
    whisper_free(context);
    const double encodeRtf = median(encodes) / duration;
    std::printf("encoder on %.0f s: median %.2f s, RTF %.3f   [target <= 0.3]; CPU time %.2f s (%.3f RTF if the %d threads had their cores)\n",
                duration, median(encodes), encodeRtf, median(encodeCpu), median(encodeCpu) / threads / duration,
                threads);

    // Load time: the first load reads the file from disk, later ones from the page cache.
    std::vector<double> loads, loadCpu;
    std::shared_ptr<quaro::WhisperModel> model;
    for (int i = 0; i < 3; ++i) {
        model.reset();
        const double cpu = cpuSeconds();
        started = Clock::now();
        auto loaded = quaro::WhisperModel::load(modelPath);
        loads.push_back(seconds(started));
        loadCpu.push_back(cpuSeconds() - cpu);
        if (!loaded) {
            std::fprintf(stderr, "%s\n", loaded.error().description().c_str());
            return 1;
        }
        model = *loaded;
    }
    std::printf("model load: median %.3f s (first %.3f s), CPU time %.3f s   [target <= 0.5 s]\n", median(loads),
                loads.front(), median(loadCpu));

    // The whole primary path: mel, encoder and decoder. Random weights never
    // end a sentence, so the decoder is capped at 96 tokens, about what 30 s
    // of speech yields, and runs without the temperature retries that would
    // only repeat the nonsense.
    started = Clock::now();
    auto text = model->transcribe(audio, "pt", quaro::WhisperOptions{threads, false, 96});
    const double full = seconds(started);
    if (!text) {
        std::fprintf(stderr, "%s\n", text.error().description().c_str());
        return 1;
    }
    std::printf("primary path on %.0f s (96 decoded tokens): %.2f s, RTF %.3f\n", duration, full,
                full / duration);
    std::printf("peak memory (VmHWM) after whisper: %.1f MiB   [target <= 500 MiB]\n",
                static_cast<double>(peakKiB()) / 1024.0);
    model.reset();

    const auto forward = quaro::testing::goForwardSamples();
    const double forwardDuration = static_cast<double>(forward.size()) / 16000.0;
    const quaro::PocketSphinxRecognizer legacy;
    std::vector<double> fallbacks;
    std::string heard;
    for (int i = 0; i < 3; ++i) {
        started = Clock::now();
        auto result = legacy.transcribe(forward, "en-US");
        fallbacks.push_back(seconds(started));
        heard = result ? *result : result.error().description();
    }
    std::printf("fallback (PocketSphinx, model load included) on %.2f s: median %.2f s, RTF %.3f -> \"%s\"\n",
                forwardDuration, median(fallbacks), median(fallbacks) / forwardDuration, heard.c_str());
    if (!quick)
        modelFigures(dir, audio, threads, mode == "all");
    std::printf("load average %.2f at end\n", loadAverage());

    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    return 0;
}
