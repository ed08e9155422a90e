#pragma once

#include <cstdint>
#include <filesystem>

namespace quaro::testing {

// Dimensions of a whisper model file. The defaults make the smallest model
// that whisper still treats as multilingual: one layer each way and a narrow
// state, about 7.5 MB on disk.
struct WhisperDims {
    int vocab = 51865;
    int audioCtx = 1500;
    int audioState = 64;
    int audioHead = 2;
    int audioLayer = 1;
    int textCtx = 448;
    int textState = 64;
    int textHead = 2;
    int textLayer = 1;
    int mels = 80;

    // The dimensions of the published multilingual "tiny" model.
    static WhisperDims tiny()
    {
        WhisperDims d;
        d.audioState = d.textState = 384;
        d.audioHead = d.textHead = 6;
        d.audioLayer = d.textLayer = 4;
        return d;
    }

    // The dimensions of the published multilingual "base" model (the speech
    // benchmark's).
    static WhisperDims base()
    {
        WhisperDims d;
        d.audioState = d.textState = 512;
        d.audioHead = d.textHead = 8;
        d.audioLayer = d.textLayer = 6;
        return d;
    }
};

// How the weight matrices are stored: ggml's type for them and whisper's
// file type in the header. By default whisper's 16-bit floats; the speech
// benchmark writes the quantized kinds too.
struct WeightStorage {
    int ggmlType = 1; // GGML_TYPE_F16
    int fileType = 1; // GGML_FTYPE_MOSTLY_F16
};

// Writes a structurally valid ggml whisper model with random weights.
// whisper loads it and runs inference end to end; the text is nonsense.
// Returns false when the file cannot be written.
bool writeRandomWhisperModel(const std::filesystem::path& path, const WhisperDims& dims = {},
                             std::uint32_t seed = 1, WeightStorage weights = {});

} // namespace quaro::testing
