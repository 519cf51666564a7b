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
#include <string>

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

std::string emptyParagraphs(std::size_t count) {
    std::string rtf = "{\\rtf1 ";
    for (std::size_t i = 0; i < count; ++i) rtf += "\\par ";
    return rtf + "\\pard}";
}

// What `read` holds at its highest beyond what was held before it.
template <typename Read>
std::size_t highestHeldWhile(Read read) {
    const std::size_t before = held.load();
    highest = before;
    read();
    return highest.load() - before;
}

// A block list that doubles as it grows holds its old and new storage at
// once: about 280 bytes a paragraph here, against the block's own 144.
TEST(HeldMemory, EmptyParagraphsCostTheReaderLittleMoreThanTheirBlocks) {
    constexpr std::size_t kParagraphs = 200000;
    const std::string rtf = emptyParagraphs(kParagraphs);
    std::size_t blocks = 0;
    const std::size_t bytes = highestHeldWhile([&] { blocks = readRtf(rtf)->blocks.size(); });
    EXPECT_EQ(blocks, kParagraphs);
    EXPECT_LT(bytes / kParagraphs, 200u);
}

// Past its limit the file is refused, and what reading it held grew with the
// limit, not with the file: neither the room taken up front nor the pieces
// read go further.
TEST(HeldMemory, AFilePastThePieceLimitIsRefusedWithinTheLimitsMemory) {
    constexpr std::size_t kLimit = 10000;
    const std::string rtf = emptyParagraphs(20 * kLimit);
    std::string reason;
    const std::size_t bytes = highestHeldWhile([&] {
        quillary::Result<Document> document = readRtf(rtf, kLimit);
        if (!document) reason = document.reason();
    });
    EXPECT_EQ(reason, tooManyPiecesReason(kLimit));
    EXPECT_NE(reason.find("more than 10,000 paragraphs"), std::string::npos) << reason;
    EXPECT_LT(bytes / kLimit, 200u);

    EXPECT_TRUE(readRtf(emptyParagraphs(kLimit), kLimit)) << "the limit itself is allowed";
}

}  // namespace
}  // namespace conv::testing
