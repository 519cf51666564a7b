// What -info tells of a Word file from its container alone, and that no
// damage to the container's tables makes the look-up crash or loop.

#include "ConverterTestSupport.h"
#include "converter/FileKind.h"

#include <gtest/gtest.h>

#include <random>

namespace conv::testing {
namespace {

const std::string kWordFixture = "/converter/cases/from-libreoffice.doc";

TEST(FileKind, AWordDocumentIsACompoundFileWithWordsOwnStream) {
    quillary::testing::TestFolder folder;
    const std::string word = readFile(setting("QUILLARY_FIXTURES") + kWordFixture);
    const std::string streamName("W\0o\0r\0d\0D\0o\0c\0u\0m\0e\0n\0t\0", 24);
    ASSERT_NE(word.find(streamName), std::string::npos);
    std::string otherStream = word;
    otherStream[otherStream.find(streamName)] = 'X';
    // The second byte of Word's flags holds "encrypted".
    std::string encrypted = word;
    encrypted[word.find("\xEC\xA5\x01\x01") + 0x0B] |= 1;
    const std::pair<std::string, std::string> cases[] = {
        {word, "  Type:  Word format\n  Size:  12288 bytes\n  Length:  334 characters\n"},
        {otherStream, "It is neither rich text, a Word document nor plain text."},
        {encrypted, "It is protected with a password; save a copy without one."}};
    for (const auto& [content, expected] : cases) {
        Output outcome = describeFile(folder.write("Manuscript.doc", content));
        const std::string& said = outcome ? *outcome : outcome.reason();
        EXPECT_NE(said.find(expected), std::string::npos) << said;
        EXPECT_EQ(outcome.ok(), expected.starts_with("  Type:"));
    }
}

TEST(FileKind, TruncatedAndDamagedCompoundFilesAreReadSafely) {
    const std::string word = readFile(setting("QUILLARY_FIXTURES") + kWordFixture);
    for (std::size_t length = 0; length < word.size(); length += 7) {
        FileKind kind = detectFileKind(std::string_view(word).substr(0, length));
        EXPECT_NE(kind, FileKind::Rtf) << length;
    }
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        std::string damaged = word;
        // The header holds the locations of the tables; the rest holds them.
        for (int i = 0; i < 2; ++i) damaged[8 + random() % 504] = static_cast<char>(random());
        for (int i = 0; i < 2; ++i) damaged[512 + random() % (damaged.size() - 512)] = static_cast<char>(random());
        wordTextLength(damaged);
        EXPECT_NE(detectFileKind(damaged), FileKind::Rtf) << round;
    }
}

}  // namespace
}  // namespace conv::testing
