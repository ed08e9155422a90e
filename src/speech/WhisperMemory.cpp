// Large tensor buffers for whisper, backed by transparent huge pages.
//
// Loading a model writes ~150 MB of weights into freshly allocated memory, and
// with ordinary 4 KiB pages most of the load time goes to the kernel faulting
// pages in one by one. The linker routes ggml's aligned allocator here
// (--wrap, see cmake/Whisper.cmake): buffers of a few megabytes and more get
// their own anonymous mapping marked MADV_HUGEPAGE, so each fault brings in
// 2 MiB. Smaller requests, and every failure of the fast path, go to ggml's
// own allocator. ggml hands the same size back when freeing, which is how a
// mapping is told from a heap block.

#include <cstddef>
#include <sys/mman.h>

extern "C" {
void* __real_ggml_aligned_malloc(std::size_t size);
void __real_ggml_aligned_free(void* ptr, std::size_t size);
void* __wrap_ggml_aligned_malloc(std::size_t size);
void __wrap_ggml_aligned_free(void* ptr, std::size_t size);
}

namespace {

constexpr std::size_t kMappedThreshold = std::size_t{4} << 20;

} // namespace

extern "C" void* __wrap_ggml_aligned_malloc(std::size_t size)
{
    if (size < kMappedThreshold)
        return __real_ggml_aligned_malloc(size);
    void* memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED)
        return nullptr;
    // Advice only: without huge pages the mapping still works, just slower to fill.
    madvise(memory, size, MADV_HUGEPAGE);
    return memory;
}

extern "C" void __wrap_ggml_aligned_free(void* ptr, std::size_t size)
{
    if (ptr == nullptr)
        return;
    if (size < kMappedThreshold) {
        __real_ggml_aligned_free(ptr, size);
        return;
    }
    munmap(ptr, size);
}
