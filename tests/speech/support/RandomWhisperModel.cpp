#include "RandomWhisperModel.h"

#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <ggml.h>

namespace quaro::testing {
namespace {

constexpr std::uint32_t kMagic = 0x67676d6c; // "ggml"
constexpr std::int32_t kF32 = 0;
constexpr std::int32_t kF16 = 1;
// Text tokens of the multilingual vocabulary; whisper appends the special
// tokens itself up to the vocabulary size in the header.
constexpr int kTextTokens = 50257;

class Writer {
public:
    Writer(const std::filesystem::path& path, std::uint32_t seed, ggml_type matrices)
        : m_file(std::fopen(path.c_str(), "wb"), &std::fclose), m_random(seed), m_matrices(matrices)
    {
    }
    bool ok() const { return m_file && std::fflush(m_file.get()) == 0 && !std::ferror(m_file.get()); }

    void i32(std::int32_t v) { raw(&v, sizeof v); }
    void u32(std::uint32_t v) { raw(&v, sizeof v); }
    void raw(const void* data, std::size_t size)
    {
        if (m_file)
            std::fwrite(data, 1, size, m_file.get());
    }

    enum class Fill { Random, Ones, Zeros };

    void tensor(const std::string& name, std::vector<int> shape, bool half, Fill fill = Fill::Random)
    {
        // whisper keeps its weight matrices in the model's type, the
        // convolutions in 16-bit floats.
        const bool quantized = half && shape.size() == 2 && m_matrices != GGML_TYPE_F16;
        i32(static_cast<std::int32_t>(shape.size()));
        i32(static_cast<std::int32_t>(name.size()));
        i32(quantized ? std::int32_t(m_matrices) : half ? kF16 : kF32);
        std::size_t count = 1;
        for (int n : shape) {
            i32(n);
            count *= static_cast<std::size_t>(n);
        }
        raw(name.data(), name.size());
        std::normal_distribution<float> normal(0.0f, 0.02f);
        std::vector<float> data(count);
        for (auto& v : data)
            v = fill == Fill::Random ? normal(m_random) : fill == Fill::Ones ? 1.0f : 0.0f;
        if (quantized) {
            std::vector<char> packed(ggml_row_size(m_matrices, shape[0]) * (count / std::size_t(shape[0])));
            ggml_quantize_chunk(m_matrices, data.data(), packed.data(), 0, std::int64_t(count) / shape[0], shape[0],
                                nullptr);
            raw(packed.data(), packed.size());
        } else if (half) {
            std::vector<ggml_fp16_t> halves(count);
            ggml_fp32_to_fp16_row(data.data(), halves.data(), std::int64_t(count));
            raw(halves.data(), halves.size() * sizeof(ggml_fp16_t));
        } else {
            raw(data.data(), data.size() * sizeof(float));
        }
    }

    std::mt19937& random() { return m_random; }

private:
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> m_file;
    std::mt19937 m_random;
    ggml_type m_matrices;
};

void attention(Writer& w, const std::string& prefix, int state)
{
    w.tensor(prefix + "_ln.weight", {state}, false, Writer::Fill::Ones);
    w.tensor(prefix + "_ln.bias", {state}, false, Writer::Fill::Zeros);
    w.tensor(prefix + ".query.weight", {state, state}, true);
    w.tensor(prefix + ".query.bias", {state}, false);
    w.tensor(prefix + ".key.weight", {state, state}, true);
    w.tensor(prefix + ".value.weight", {state, state}, true);
    w.tensor(prefix + ".value.bias", {state}, false);
    w.tensor(prefix + ".out.weight", {state, state}, true);
    w.tensor(prefix + ".out.bias", {state}, false);
}

void mlp(Writer& w, const std::string& prefix, int state)
{
    w.tensor(prefix + ".mlp_ln.weight", {state}, false, Writer::Fill::Ones);
    w.tensor(prefix + ".mlp_ln.bias", {state}, false, Writer::Fill::Zeros);
    w.tensor(prefix + ".mlp.0.weight", {state, 4 * state}, true);
    w.tensor(prefix + ".mlp.0.bias", {4 * state}, false);
    w.tensor(prefix + ".mlp.2.weight", {4 * state, state}, true);
    w.tensor(prefix + ".mlp.2.bias", {state}, false);
}

std::string tokenText(int i)
{
    // whisper's decoder looks up the lone space token (220 in the real vocabulary).
    if (i == 220)
        return " ";
    static const char* syllables[] = {"ka", "lo", "mi", "nu", "pe", "ra", "so", "ti", "ve", "za", "be", "do"};
    std::string text = (i % 3 == 0) ? " " : "";
    for (int n = i; ; n /= 12) {
        text += syllables[n % 12];
        if (n < 12)
            break;
    }
    return text;
}

} // namespace

bool writeRandomWhisperModel(const std::filesystem::path& path, const WhisperDims& d, std::uint32_t seed,
                             WeightStorage weights)
{
    Writer w(path, seed, ggml_type(weights.ggmlType));
    if (!w.ok())
        return false;

    w.u32(kMagic);
    for (int v : {d.vocab, d.audioCtx, d.audioState, d.audioHead, d.audioLayer, d.textCtx, d.textState,
                  d.textHead, d.textLayer, d.mels, weights.fileType})
        w.i32(v);

    // Mel filter bank: mels x (n_fft = 201) positive weights.
    constexpr int fftBins = 201;
    w.i32(d.mels);
    w.i32(fftBins);
    std::uniform_real_distribution<float> unit(0.0f, 0.01f);
    std::vector<float> filters(static_cast<std::size_t>(d.mels) * fftBins);
    for (auto& f : filters)
        f = unit(w.random());
    w.raw(filters.data(), filters.size() * sizeof(float));

    w.i32(kTextTokens);
    for (int i = 0; i < kTextTokens; ++i) {
        const std::string text = tokenText(i);
        w.u32(static_cast<std::uint32_t>(text.size()));
        w.raw(text.data(), text.size());
    }

    const int as = d.audioState;
    w.tensor("encoder.positional_embedding", {as, d.audioCtx}, false);
    w.tensor("encoder.conv1.weight", {3, d.mels, as}, true);
    w.tensor("encoder.conv1.bias", {1, as}, false);
    w.tensor("encoder.conv2.weight", {3, as, as}, true);
    w.tensor("encoder.conv2.bias", {1, as}, false);
    w.tensor("encoder.ln_post.weight", {as}, false, Writer::Fill::Ones);
    w.tensor("encoder.ln_post.bias", {as}, false, Writer::Fill::Zeros);
    for (int i = 0; i < d.audioLayer; ++i) {
        const std::string block = "encoder.blocks." + std::to_string(i);
        mlp(w, block, as);
        attention(w, block + ".attn", as);
    }

    const int ts = d.textState;
    w.tensor("decoder.positional_embedding", {ts, d.textCtx}, false);
    w.tensor("decoder.token_embedding.weight", {ts, d.vocab}, true);
    w.tensor("decoder.ln.weight", {ts}, false, Writer::Fill::Ones);
    w.tensor("decoder.ln.bias", {ts}, false, Writer::Fill::Zeros);
    for (int i = 0; i < d.textLayer; ++i) {
        const std::string block = "decoder.blocks." + std::to_string(i);
        mlp(w, block, ts);
        attention(w, block + ".attn", ts);
        attention(w, block + ".cross_attn", ts);
    }
    return w.ok();
}

} // namespace quaro::testing
