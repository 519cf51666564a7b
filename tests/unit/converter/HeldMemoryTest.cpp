// The reader's memory on a long manuscript of empty paragraphs, as the bytes
// the program holds through the global allocator at its highest: exact and
// the same on every run, unlike the process's resident size. The allocator
// of this test program counts; nothing else changes.

#include "converter/RtfReader.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::size_t> held{0};
std::atomic<std::size_t> highest{0};
constexpr std::size_t kHeader = alignof(std::max_align_t);

void* allocate(std::size_t size) {
    void* block = std::malloc(size + kHeader);
    if (block == nullptr) throw std::bad_alloc();
    *static_cast<std::size_t*>(block) = size;
    const std::size_t now = held += size;
    for (std::size_t seen = highest.load(); now > seen && !highest.compare_exchange_weak(seen, now);) {
    }
    return static_cast<char*>(block) + kHeader;
}

void release(void* pointer) noexcept {
    if (pointer == nullptr) return;
    char* block = static_cast<char*>(pointer) - kHeader;
    held -= *reinterpret_cast<std::size_t*>(block);
    std::free(block);
}

}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void operator delete(void* pointer) noexcept { release(pointer); }
void operator delete[](void* pointer) noexcept { release(pointer); }
void operator delete(void* pointer, std::size_t) noexcept { release(pointer); }
void operator delete[](void* pointer, std::size_t) noexcept { release(pointer); }

namespace conv::testing {
namespace {

// A block list that doubles as it grows holds its old and new storage at
// once: about 280 bytes a paragraph here, against the block's own 144.
TEST(HeldMemory, EmptyParagraphsCostTheReaderLittleMoreThanTheirBlocks) {
    constexpr std::size_t kParagraphs = 200000;
    std::string rtf = "{\\rtf1 ";
    for (std::size_t i = 0; i < kParagraphs; ++i) rtf += "\\par ";
    rtf += "\\pard}";
    const std::size_t before = held.load();
    highest = before;
    const Document document = readRtf(rtf);
    EXPECT_EQ(document.blocks.size(), kParagraphs);
    EXPECT_LT((highest.load() - before) / kParagraphs, 200u);
}

}  // namespace
}  // namespace conv::testing
