// Imports arbitrary bytes under an audio file name, the way a user could drop
// any file on Quaro: the importer must fail cleanly or produce a file, never
// crash, leak or leave a partial file behind.
#include "core/Log.h"
#include "media/AudioImport.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
const fs::path& workDir()
{
    static const fs::path dir = [] {
        std::string pattern = (fs::temp_directory_path() / "quaro-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        quaro::setLogHandler([](quaro::LogArea, const std::string&) {});
        std::atexit([] {
            std::error_code ec;
            fs::remove_all(workDir(), ec);
        });
        return fs::path(pattern);
    }();
    return dir;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fs::path source = workDir() / ("nota" QUARO_FUZZ_EXTENSION);
    {
        std::ofstream out(source, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
    }
    auto result = quaro::AudioImport::importFile(source, "FUZZ", workDir() / "Audio");
    const bool exists = fs::exists(workDir() / "Audio" / "FUZZ.m4a");
    if (result.ok() != exists)
        __builtin_trap();
    return 0;
}
