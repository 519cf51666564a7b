// Files planted where we read: pipes, devices, folders, links out of the
// manuscript's folder, files too large. None may be waited on or read.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/SafeFile.h"
#include "support/TestFolder.h"

namespace quillary::testing {
namespace {

using Kind = safefile::Refusal::Kind;
namespace fs = std::filesystem;

TEST(SafeFile, OnlyARegularFileInsideItsFolderAndWithinTheLimitIsRead) {
    TestFolder folder;
    const std::string book = folder.makeFolder("Book");
    folder.write("Book/cover.jpg", "JPEG");
    folder.write("Book/art/inner.png", "PNG");
    folder.write("private/id_rsa", "KEY");
    folder.write("Book/big.png", std::string(2048, 'x'));
    ASSERT_EQ(::mkfifo(folder.file("Book/pipe.png").c_str(), 0600), 0);
    fs::create_directory_symlink("art", folder.file("Book/linked-art"));
    fs::create_symlink("../private/id_rsa", folder.file("Book/key.jpg"));
    fs::create_symlink("/dev/zero", folder.file("Book/zero.png"));
    fs::create_symlink("/dev/zero", folder.file("zero-anywhere"));
    fs::create_symlink("missing.png", folder.file("Book/dangling.png"));
    const struct {
        std::string path;
        bool confined;
        std::optional<Kind> refused;  // nullopt: read
    } cases[] = {
        {"Book/cover.jpg", true, std::nullopt},
        // Links that stay inside the folder are followed.
        {"Book/linked-art/inner.png", true, std::nullopt},
        {"Book/../Book/art/inner.png", true, std::nullopt},
        {"Book/key.jpg", true, Kind::OutsideFolder},
        {"Book/key.jpg", false, std::nullopt},
        {"Book/zero.png", true, Kind::OutsideFolder},
        {"zero-anywhere", false, Kind::NotRegular},
        {"Book/pipe.png", true, Kind::NotRegular},
        {"Book/art", true, Kind::NotRegular},
        {"Book/dangling.png", true, Kind::Missing},
        {"Book/absent.png", false, Kind::Missing},
        {"Book/big.png", true, Kind::TooLarge},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.path);
        const auto read = safefile::readWhole(
            folder.file(test.path), {.maxBytes = 1024, .insideFolder = test.confined ? book : "", .ownedByUs = true});
        if (!test.refused) {
            EXPECT_TRUE(read);
            continue;
        }
        ASSERT_FALSE(read);
        EXPECT_EQ(read.reason().kind, *test.refused) << read.reason().reason;
    }
    const auto outside = safefile::readWhole(folder.file("Book/key.jpg"), {1024, book, false});
    EXPECT_EQ(outside.reason().reason, "links outside the manuscript's folder; copy the file into the folder");
    EXPECT_EQ(safefile::readWhole(folder.file("Book/pipe.png"), {1024, "", false}).reason().reason,
              "is a named pipe, not a file");
    EXPECT_EQ(safefile::readWhole(folder.file("Book/big.png"), {1024, "", false}).reason().reason,
              "is larger than 1 KB");
}

TEST(SafeFile, StreamsInPiecesNoLargerThanAskedAndStopsWhenTheSinkDoes) {
    TestFolder folder;
    std::string content(3 * 1024 * 1024 + 17, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7 % 251);
    const std::string path = folder.write("film.mp4", content);
    const safefile::Rules rules{.maxBytes = content.size(), .insideFolder = folder.path(), .ownedByUs = false};
    std::string received;
    std::size_t largest = 0;
    const auto streamed = safefile::stream(path, rules, [&](std::string_view piece) {
        largest = std::max(largest, piece.size());
        received.append(piece);
        return true;
    }, 64 * 1024);
    ASSERT_TRUE(streamed);
    EXPECT_EQ(*streamed, content.size());
    EXPECT_EQ(received, content);
    EXPECT_EQ(largest, 64u * 1024);

    std::size_t pieces = 0;
    const auto stopped = safefile::stream(path, rules, [&](std::string_view) { return ++pieces < 3; }, 1024);
    ASSERT_FALSE(stopped);
    EXPECT_EQ(stopped.reason().kind, Kind::SinkStopped);
    EXPECT_EQ(pieces, 3u);
    // One byte over the limit is refused before anything reaches the sink.
    pieces = 0;
    const auto tooLarge = safefile::stream(path, {content.size() - 1, "", false}, [&](std::string_view) {
        return ++pieces > 0;
    });
    EXPECT_EQ(tooLarge.reason().kind, Kind::TooLarge);
    EXPECT_EQ(pieces, 0u);
}

}  // namespace
}  // namespace quillary::testing
