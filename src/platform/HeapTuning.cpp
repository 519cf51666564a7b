#include "platform/HeapTuning.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

namespace quillary::heaptuning {

namespace {

constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;

// What a novel's build uses at its peak, with room; a larger book grows the
// heap beyond it with ordinary pages.
constexpr int kReservedHeap = 24 << 20;

}  // namespace

void preferHugePages() {
    // Threads would each get an arena of their own, mapped apart from the
    // advised heap; the build's few threads rarely contend for one.
    mallopt(M_ARENA_MAX, 1);
    // Large buffers (manuscripts, pages) come from the heap too and are kept
    // when freed, so that the next one reuses pages already touched.
    mallopt(M_MMAP_THRESHOLD, kReservedHeap + (8 << 20));
    mallopt(M_TRIM_THRESHOLD, 2 * kReservedHeap);
    // Grow the heap once to its working size, so that advising it covers
    // what the build will use; the pages are not touched here.
    void* reserve = std::malloc(kReservedHeap);
    if (!reserve) return;
    const auto from = reinterpret_cast<std::uintptr_t>(reserve);
    const auto start = (from + kHugePage - 1) & ~(kHugePage - 1);
    const auto end = reinterpret_cast<std::uintptr_t>(sbrk(0));
    if (end > start) madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
    std::free(reserve);
    // The freed space up to the first huge page is kept out of use (its
    // pages are never touched), or the first large buffers would be made
    // of small pages there.
    constexpr std::size_t kChunkHeader = 2 * sizeof(std::size_t);
    // (Held where the compiler cannot drop it as unused.)
    [[maybe_unused]] static void* volatile keptOut = nullptr;
    if (start - from > 4 * kChunkHeader) keptOut = std::malloc(start - from - kChunkHeader);
}

}  // namespace quillary::heaptuning
