#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "speech/ModelStore.h"

namespace quaro {

// One whisper model the user may choose, as whisper.cpp's authors publish it.
struct WhisperModelInfo {
    std::string id;    // "tiny", "large-v3-turbo-q5_0"...
    std::string label; // what the settings show
    std::string fileName;
    std::uint64_t size = 0; // exact, or 0 when only the digest is published
    std::uint64_t approximateSize = 0;
    std::string sha1;
    std::uint64_t memory = 0; // bytes in use while transcribing, roughly
    std::string hint;         // one line on speed and accuracy, for the user
};

// The whisper models Quaro offers, and where each is fetched from: one base
// address for all of them (the authors' by default), with the `base` model's
// own full address kept apart because it was configurable on its own first.
// Plain value; any thread.
class WhisperCatalogue {
public:
    static constexpr std::string_view defaultModel = "base";
    static constexpr std::string_view publishedBaseUrl = "https://huggingface.co/ggerganov/whisper.cpp/resolve/main/";

    // The published table; tests pass their own generated models instead.
    explicit WhisperCatalogue(std::vector<WhisperModelInfo> models = published(),
                              std::string baseUrl = std::string(publishedBaseUrl));

    static std::vector<WhisperModelInfo> published();

    // QUARO_MODELS_BASE_URL replaces the base address of every model;
    // QUARO_MODEL_URL, the full address of `base` alone, wins over it for
    // that model.
    static WhisperCatalogue fromEnvironment();

    const std::vector<WhisperModelInfo>& models() const { return m_models; }
    // The model named `id`, or the default one when no model has that id.
    const WhisperModelInfo& model(std::string_view id) const;
    bool contains(std::string_view id) const;
    ModelSource source(std::string_view id) const;

    void setBaseUrl(std::string url);
    void setDefaultModelUrl(std::string url) { m_defaultModelUrl = std::move(url); }

private:
    std::vector<WhisperModelInfo> m_models;
    std::string m_baseUrl;
    std::string m_defaultModelUrl;
};

} // namespace quaro
