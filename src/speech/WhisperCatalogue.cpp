#include "speech/WhisperCatalogue.h"

#include <algorithm>
#include <cstdlib>

namespace quaro {

namespace {

constexpr std::uint64_t MiB = 1024 * 1024;
constexpr std::uint64_t MB = 1000 * 1000;

} // namespace

std::vector<WhisperModelInfo> WhisperCatalogue::published()
{
    // Digests and sizes from the authors' model table. Only `base` has its
    // exact size on record; the others are checked by digest. Memory is
    // the authors' figure where they give one, else the peak measured by
    // the speech benchmark for a model of that shape. Quantized variants whose
    // digest is not published are left out: an unverified download is never
    // kept.
    return {
        {"tiny", "tiny", "ggml-tiny.bin", 0, 75 * MiB, "bd577a113a864445d4c299885e0cb97d4ba92b5f", 273 * MB,
         "O mais rápido e leve; erra mais, bom para computadores antigos."},
        {"base", "base", "ggml-base.bin", 147951465, 142 * MiB, "465707469ff3a37a2b9b8d8f89f2f99de7299dac", 388 * MB,
         "Rápido e leve, o padrão; erra nomes e palavras raras."},
        {"small", "small", "ggml-small.bin", 0, 466 * MiB, "55356645c2b361a969dfd0ef2c5a50d530afd8d5", 852 * MB,
         "Bem mais preciso em português; umas três vezes mais lento que o base."},
        {"large-v3-turbo", "large-v3-turbo", "ggml-large-v3-turbo.bin", 0, 1536 * MiB,
         "4af2b29d7ec73d781377bfd1758ca957a807e941", 2200 * MB,
         "O mais preciso; lento sem placa de vídeo e pede muita memória."},
        {"large-v3-turbo-q5_0", "large-v3-turbo (quantizado)", "ggml-large-v3-turbo-q5_0.bin", 0, 547 * MiB,
         "e050f7970618a659205450ad97eb95a18d69c9ee", 1100 * MB,
         "Quase a precisão do turbo em um terço do espaço e metade da memória."},
    };
}

WhisperCatalogue::WhisperCatalogue(std::vector<WhisperModelInfo> models, std::string baseUrl)
    : m_models(std::move(models))
{
    setBaseUrl(std::move(baseUrl));
}

WhisperCatalogue WhisperCatalogue::fromEnvironment()
{
    WhisperCatalogue catalogue;
    if (const char* base = std::getenv("QUARO_MODELS_BASE_URL"); base && *base)
        catalogue.setBaseUrl(base);
    if (const char* url = std::getenv("QUARO_MODEL_URL"); url && *url)
        catalogue.setDefaultModelUrl(url);
    return catalogue;
}

void WhisperCatalogue::setBaseUrl(std::string url)
{
    if (!url.empty() && url.back() != '/')
        url += '/';
    m_baseUrl = std::move(url);
}

bool WhisperCatalogue::contains(std::string_view id) const
{
    return std::any_of(m_models.begin(), m_models.end(), [&](const WhisperModelInfo& m) { return m.id == id; });
}

const WhisperModelInfo& WhisperCatalogue::model(std::string_view id) const
{
    auto found = std::find_if(m_models.begin(), m_models.end(), [&](const WhisperModelInfo& m) { return m.id == id; });
    if (found == m_models.end())
        found = std::find_if(m_models.begin(), m_models.end(),
                             [](const WhisperModelInfo& m) { return m.id == defaultModel; });
    return found == m_models.end() ? m_models.front() : *found;
}

ModelSource WhisperCatalogue::source(std::string_view id) const
{
    const WhisperModelInfo& info = model(id);
    std::string url = info.id == defaultModel && !m_defaultModelUrl.empty() ? m_defaultModelUrl
                                                                            : m_baseUrl + info.fileName;
    return ModelSource{std::move(url), info.fileName, info.size, info.sha1, info.approximateSize};
}

} // namespace quaro
