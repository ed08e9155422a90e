#include "Fixtures.h"

#include "media/AudioImport.h"

#include <cmath>

using namespace quaro;
using namespace quaro::testing;
namespace fs = std::filesystem;

namespace {

const std::string whatsapp = "Não consegui ler este áudio do WhatsApp. Exporte como .m4a e tente de novo.";
const std::string tooShort = "Esse áudio está vazio ou é curto demais.";

class AudioImportTest : public ::testing::Test {
protected:
    TempDir dir;
    fs::path audio = dir / "Audio";

    fs::path opus(const fs::path& wav, const std::string& name, const std::string& options = "--bitrate 16 --framesize 60")
    {
        auto path = dir / name;
        EXPECT_TRUE(sh("opusenc --quiet " + options + " " + quote(wav) + " " + quote(path)));
        return path;
    }
    // A one-second voice note as the phone sends it, and its bytes.
    std::vector<std::uint8_t> voiceNote() { return readBytes(opus(makeTone(dir, "n.wav", 1.0, 16000), "nota.opus")); }

    void expectFailure(const fs::path& source, const std::string& text)
    {
        auto result = AudioImport::importFile(source, "X", audio);
        ASSERT_FALSE(result.ok());
        EXPECT_EQ(result.error().description(), text);
        EXPECT_FALSE(fs::exists(audio / "X.m4a"));
    }
};

} // namespace

TEST_F(AudioImportTest, ImportsEveryAcceptedFormatIntoQuaroAac)
{
    const auto tone = makeTone(dir, "tone.wav", 2.0, 44100, 2);
    const std::vector<std::pair<std::string, std::string>> conversions = {
        {"m4a", "-c:a aac -f ipod"}, {"mp3", ""}, {"wav", ""}, {"aiff", ""}, {"aif", "-f aiff"}, {"caf", ""},
        {"aac", "-c:a aac -f adts"}, {"mp4", "-c:a aac"}, {"flac", ""}, {"ogg", "-c:a libopus"},
        {"opus", "-c:a libopus"}, {"oga", "-c:a libopus -f ogg"}};
    for (const auto& [extension, options] : conversions) {
        SCOPED_TRACE(extension);
        const auto source = dir / ("x." + extension);
        ASSERT_TRUE(sh("ffmpeg -nostdin -y -i " + quote(tone) + " " + options + " " + quote(source)));
        EXPECT_TRUE(AudioImport::acceptsExtension(source));
        const auto before = readBytes(source);
        const auto result = take(AudioImport::importFile(source, "ID" + extension, audio));
        EXPECT_EQ(result.path, audio / ("ID" + extension + ".m4a"));
        EXPECT_NEAR(result.duration, 2.0, 0.06);
        EXPECT_EQ(readBytes(source), before);
        const auto probe = capture("ffprobe -v error -show_entries stream=codec_name,profile,sample_rate,channels "
                                   "-show_entries format=format_name -of default=nw=1 " + quote(result.path));
        for (const char* field : {"codec_name=aac", "profile=LC", "sample_rate=48000", "channels=1",
                                  "format_name=mov,mp4,m4a"})
            EXPECT_NE(probe.find(field), std::string::npos) << probe;
        // The file decodes back to the reported duration (within AAC padding).
        EXPECT_NEAR(double(decodeAll(result.path).size()) / 48000.0, result.duration, 0.03);
    }
    EXPECT_FALSE(AudioImport::acceptsExtension("nota.txt"));
    EXPECT_TRUE(AudioImport::acceptsExtension("NOTA.OPUS"));
}

// MP3 frames may switch between mono and stereo: a stream that does so midway
// is read whole, and its stereo part (a tone on the right channel only) is
// mixed down, not cut to the left channel.
TEST_F(AudioImportTest, AStreamWhoseChannelLayoutChangesMidwayIsReadWhole)
{
    const auto tone = makeTone(dir, "t.wav", 1.0, 44100);
    const auto mono = dir / "m.mp3", stereo = dir / "s.mp3", both = dir / "both.mp3";
    const std::string mp3 = " -id3v2_version 0 -write_xing 0 ";
    ASSERT_TRUE(sh("ffmpeg -nostdin -y -i " + quote(tone) + mp3 + quote(mono)));
    ASSERT_TRUE(sh("ffmpeg -nostdin -y -i " + quote(tone) + " -af 'pan=stereo|c0=0*c0|c1=c0'" + mp3 + quote(stereo)));
    auto bytes = readBytes(mono);
    const auto tail = readBytes(stereo);
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    writeBytes(both, bytes);

    const auto result = take(AudioImport::importFile(both, "X", audio));
    EXPECT_NEAR(result.duration, 2.0, 0.1);
    const auto samples = decodeAll(result.path);
    ASSERT_GT(samples.size(), std::size_t(96000 * 0.95));
    auto rms = [&](double from, double to) {
        double sum = 0;
        for (auto i = std::size_t(from * 48000); i < std::size_t(to * 48000); ++i)
            sum += double(samples[i]) * samples[i];
        return std::sqrt(sum / ((to - from) * 48000));
    };
    EXPECT_GT(rms(0.2, 0.8), 0.2);
    EXPECT_GT(rms(1.2, 1.8), 0.1);
}

// Comment headers spanning pages and pages of other streams are the Ogg
// reader's table.
TEST_F(AudioImportTest, OggOpusMatchesReferenceDecoderWithPreSkipLongerThanFirstPacketAndOutputGain)
{
    // 2.5 ms packets (120 samples) against a 312-sample pre-skip: the skip is
    // consumed across several decoded buffers. An output gain of -6.02 dB
    // (-1541/256, a signed little-endian field) halves every sample.
    auto bytes = readBytes(opus(makeTone(dir, "tone.wav", 1.0, 48000, 1, "sine 300-900"), "nota.opus",
                                "--bitrate 64 --framesize 2.5"));
    bytes[27 + bytes[26] + 16] = 0xFB;
    bytes[27 + bytes[26] + 17] = 0xF9;
    fixOggCrc(bytes, 0);
    const auto note = dir / "gain.opus";
    writeBytes(note, bytes);
    const auto ours = decodeAll(note);
    const auto reference = dir / "ref.f32";
    ASSERT_TRUE(sh("ffmpeg -nostdin -y -c:a libopus -i " + quote(note) + " -f f32le -ac 1 " + quote(reference)));
    const auto decoded = readBytes(reference);
    std::vector<float> expected(decoded.size() / 4);
    std::memcpy(expected.data(), decoded.data(), expected.size() * 4);
    ASSERT_GT(expected.size(), 40000u);
    // Nothing is trimmed at the end, so ours may only be longer.
    ASSERT_GE(ours.size(), expected.size());
    EXPECT_LT(ours.size(), expected.size() + 1200);
    double worst = 0, peak = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        worst = std::max(worst, double(std::fabs(ours[i] - expected[i])));
        peak = std::max(peak, double(std::fabs(ours[i])));
    }
    EXPECT_LT(worst, 1e-4);
    EXPECT_NEAR(peak, 0.25, 0.05); // the tone's 0.5, halved
}

TEST_F(AudioImportTest, RefusesUnreadableAndBrokenFilesLeavingNothingBehind)
{
    using Bytes = std::vector<std::uint8_t>;
    ASSERT_TRUE(sh("ffmpeg -nostdin -y -i " + quote(makeTone(dir, "tone.wav", 2.0)) + " -c:a aac -f ipod "
                   + quote(dir / "full.m4a")));
    Bytes cut = readBytes(dir / "full.m4a");
    cut.resize(cut.size() / 2); // before its index

    const Bytes note = voiceNote();
    const std::size_t headBody = 27 + note[26];
    auto patched = [&](std::size_t offset, std::uint8_t value) {
        Bytes copy = note;
        copy[headBody + offset] = value;
        fixOggCrc(copy, 0);
        return copy;
    };
    Bytes truncated(note.begin(), note.begin() + 100);
    const std::size_t headers = oggPageLength(note, 0);
    Bytes headersOnly(note.begin(), note.begin() + std::ptrdiff_t(headers + oggPageLength(note, headers)));

    struct Case {
        std::string name;
        Bytes bytes;
        std::string text;
        std::string logged; // the one line left for diagnosis, with the reason after this start
    };
    const std::string ogg = "[Quaro] Ogg Opus falhou: ";
    const std::vector<Case> cases = {
        {"nota.ogg", {'n', 'o', 't', ' ', 'o', 'g', 'g', '\n'}, "Não consegui abrir nota.ogg.",
         "[Quaro] importação de nota.ogg: avformat_open_input: "},
        {"cortado.m4a", cut, "Não consegui abrir cortado.m4a.", "[Quaro] importação de cortado.m4a: avformat_"},
        {"versao16.ogg", patched(8, 16), whatsapp, ogg},
        {"familia1.ogg", patched(18, 1), whatsapp, ogg},
        {"tres-canais.ogg", patched(9, 3), whatsapp, ogg},
        {"truncado.ogg", truncated, whatsapp, ogg},
        {"so-cabecalho.ogg", headersOnly, tooShort, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeBytes(dir / c.name, c.bytes);
        fs::create_directories(audio);
        writeBytes(audio / "X.m4a", {1, 2, 3}); // an earlier file at the destination goes too
        LogCapture log;
        expectFailure(dir / c.name, c.text);
        const auto lines = log.lines();
        ASSERT_EQ(lines.size(), c.logged.empty() ? 0u : 1u);
        if (!c.logged.empty()) {
            EXPECT_EQ(lines[0].rfind(c.logged, 0), 0u) << lines[0];
            EXPECT_GT(lines[0].size(), c.logged.size()) << "the reason is missing";
        }
    }
    expectFailure(dir / "nao-existe.mp3", "Não consegui abrir nao-existe.mp3.");
    // For transcription, a voice note without audio is simply no samples.
    EXPECT_TRUE(decodeAll(dir / "so-cabecalho.ogg").empty());
}

TEST_F(AudioImportTest, ReplacesAnEarlierImportRunsSeveralAtOnceAndRefusesUnsafeTargets)
{
    const auto shortTone = makeTone(dir, "short.wav", 0.5);
    const auto longTone = makeTone(dir, "long.flac", 3.0, 22050, 2);
    ASSERT_TRUE(AudioImport::importFile(longTone, "SAME", audio).ok());
    EXPECT_NEAR(take(AudioImport::importFile(shortTone, "SAME", audio)).duration, 0.5, 0.01);

    auto a = AudioImport::importFileAsync(longTone, "A", audio / "novo" / "fundo");
    auto b = AudioImport::importFileAsync(opus(makeTone(dir, "n.wav", 1.0, 16000), "nota.ogg"), "B", audio / "novo" / "fundo");
    EXPECT_NEAR(take(a.get()).duration, 3.0, 0.01);
    EXPECT_NEAR(take(b.get()).duration, 1.0, 0.07);

    writeBytes(dir / "arquivo", {1});
    auto blocked = AudioImport::importFile(shortTone, "X", dir / "arquivo" / "Audio");
    ASSERT_FALSE(blocked.ok());
    EXPECT_EQ(blocked.error().kind, AudioImportError::Kind::system);
    EXPECT_FALSE(AudioImport::importFile(shortTone, "../fora", audio).ok());
    EXPECT_FALSE(fs::exists(dir / "fora.m4a"));
}

TEST_F(AudioImportTest, DecodesForTranscriptionAtAnyRateInBoundedChunks)
{
    // Both sources hold more than 48 000 samples at 16 kHz: one chunk could not carry them.
    for (const auto& source : {makeTone(dir, "long.wav", 5.0, 44100, 2), opus(makeTone(dir, "n.wav", 4.0, 16000), "n.ogg")}) {
        SCOPED_TRACE(source.filename().string());
        std::size_t largest = 0;
        const double seconds = double(decodeAll(source, 16000, &largest).size()) / 16000;
        EXPECT_NEAR(seconds, source.extension() == ".wav" ? 5.0 : 4.0, 0.07);
        EXPECT_LT(largest, 48000u);
    }
}
