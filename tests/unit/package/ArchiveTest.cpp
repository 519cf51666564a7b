#include "epub/Archive.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <malloc.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>

#include <map>
#include "platform/Files.h"
#include "support/EpubInspector.h"
#include "support/TestFolder.h"

namespace quillary::testing {
namespace {

// What the local file headers of a zip say, read straight from its bytes:
// the things a zip library reports only after normalising them.
struct LocalHeader {
    std::string name;
    unsigned method = 0, extraLength = 0;
};

unsigned le16(const std::string& bytes, std::size_t at) {
    return static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8;
}
std::uint32_t le32(const std::string& bytes, std::size_t at) {
    return le16(bytes, at) | static_cast<std::uint32_t>(le16(bytes, at + 2)) << 16;
}

std::vector<LocalHeader> localHeaders(const std::string& bytes) {
    std::vector<LocalHeader> headers;
    std::size_t at = 0;
    while (at + 30 <= bytes.size() && le32(bytes, at) == 0x04034b50) {
        LocalHeader header;
        header.method = le16(bytes, at + 8);
        const std::uint32_t compressedSize = le32(bytes, at + 18);
        const unsigned nameLength = le16(bytes, at + 26);
        header.extraLength = le16(bytes, at + 28);
        header.name = bytes.substr(at + 30, nameLength);
        headers.push_back(header);
        at += 30 + nameLength + header.extraLength + compressedSize;
    }
    return headers;
}

std::string noise(std::size_t size) {
    std::mt19937 generator(7);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(generator());
    return bytes;
}

constexpr std::time_t kEntryTime = 1700000000;

// The bytes the process holds on its heap now: what the packer keeps in
// memory, counted by the allocator rather than read from the page tables,
// so that the figure is the same on every run.
std::size_t heapInUse() {
    const struct mallinfo2 info = ::mallinfo2();
    return info.uordblks + info.hblkhd;
}

// An author's file made up as it is read, never held whole by the test:
// `head`, then bytes that are `compressible` or not. Each read notes the
// heap, so the largest figure seen while the archive reads it is known; it
// may also hand over fewer bytes than its size, as a file cut short does.
class MadeUpFile : public ByteSource {
public:
    MadeUpFile(std::string head, std::uint64_t size, std::uint64_t gives, bool compressible, std::size_t& peak)
        : head_(std::move(head)), size_(size), gives_(gives), compressible_(compressible), peak_(peak) {}
    Result<std::size_t> read(char* buffer, std::size_t size) override {
        peak_ = std::max(peak_, heapInUse());
        const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(size, gives_ - at_));
        for (std::size_t i = 0; i < count; ++i) buffer[i] = byteAt(at_ + i);
        at_ += count;
        return count;
    }
    std::uint64_t size() const override { return size_; }
    char byteAt(std::uint64_t at) const {
        if (at < head_.size()) return head_[static_cast<std::size_t>(at)];
        return compressible_ ? ' ' : static_cast<char>((at * 2654435761u) >> 13);
    }

private:
    std::string head_;
    std::uint64_t size_, gives_, at_ = 0;
    bool compressible_;
    std::size_t& peak_;
};

struct MadeUpFiles : AuthorFiles {
    struct Made {
        std::string head;
        std::uint64_t size, gives;
        bool compressible;
    };
    std::map<std::string, Made> made;
    mutable std::size_t peak = 0;
    std::vector<FolderEntry> list(const std::string&) const override { return {}; }
    Result<std::unique_ptr<ByteSource>> open(const std::string&, const std::string& name) const override {
        const Made& file = made.at(name);
        return std::unique_ptr<ByteSource>(
            std::make_unique<MadeUpFile>(file.head, file.size, file.gives, file.compressible, peak));
    }
};

class ArchiveTest : public ::testing::Test {
protected:
    TestFolder folder;
    std::string destination = folder.makeFolder("out") + "/Book.epub";
    std::vector<epub::PackageFile> files = {
        {"OEBPS/section1.xhtml", std::string(5000, 'a')},
        {"mimetype", "application/epub+zip"},
        {"OEBPS/content.opf", "<package/>"},
        {"META-INF/container.xml", "<container/>"},
    };
    // The author's cover, read from the manuscript's folder as it is packed.
    std::string cover = folder.write("manuscript/My Cover.png", noise(300));
    std::vector<epub::AuthorFile> authors = {{"OEBPS/images/cover.png", "My Cover.png", "image/png", "", 300}};
    PosixAuthorFiles authorFiles;

    epub::archive::ArchiveFiles list() const {
        epub::archive::ArchiveFiles list;
        for (const auto& file : files) list.written.push_back(&file);
        for (const auto& file : authors) list.authors.push_back(&file);
        return list;
    }
    epub::archive::AuthorFolder manuscriptFolder() const { return {authorFiles, folder.file("manuscript")}; }
    Outcome write(std::time_t entryTime = kEntryTime) {
        return epub::archive::writeArchive(list(), manuscriptFolder(), destination, entryTime);
    }
    Result<std::string> bytes(const epub::archive::EarlyEntries& early = {}) {
        return epub::archive::archiveBytes(list(), manuscriptFolder(), kEntryTime, early);
    }
    std::string archiveBytes() { return files::readFile(destination).value_or(""); }
};

TEST_F(ArchiveTest, MimetypeComesFirstStoredAndTheRestSortedAndDeflatedButPictures) {
    // Many entries, compressed side by side, keep their order and contents.
    std::vector<std::string> expected = {"mimetype", "META-INF/container.xml", "OEBPS/content.opf",
                                         "OEBPS/images/cover.png"};
    for (int i = 10; i < 40; ++i) {
        const std::string name = "OEBPS/part" + std::to_string(i) + ".xhtml";
        files.push_back({name, std::string(static_cast<std::size_t>(i) * 100, static_cast<char>('a' + i % 26))});
        expected.push_back(name);
    }
    expected.push_back("OEBPS/section1.xhtml");
    ASSERT_TRUE(write());
    const auto headers = localHeaders(archiveBytes());
    std::vector<std::string> names;
    for (const auto& header : headers) names.push_back(header.name);
    EXPECT_EQ(names, expected);
    for (const auto& header : headers) {
        const bool stored = header.name == "mimetype" || header.name == "OEBPS/images/cover.png";
        EXPECT_EQ(header.method, stored ? 0u : 8u) << header.name;
        EXPECT_EQ(header.extraLength, 0u) << header.name;
    }
    // A consistent archive whose every entry holds its file's bytes.
    const auto entries = readArchive(destination);
    ASSERT_TRUE(entries);
    EXPECT_EQ(entries->size(), expected.size());
    for (const ArchiveEntry& entry : *entries) {
        const auto file = std::find_if(files.begin(), files.end(), [&](const auto& f) { return f.name == entry.name; });
        EXPECT_EQ(entry.content, file != files.end() ? file->bytes : noise(300)) << entry.name;
    }
}

TEST_F(ArchiveTest, TheEntryTimeMakesTwoBuildsByteIdentical) {
    ASSERT_TRUE(write());
    const std::string first = archiveBytes();
    ASSERT_TRUE(write());
    EXPECT_EQ(first, archiveBytes());
    ASSERT_TRUE(write(1800000000));
    EXPECT_NE(first, archiveBytes()) << "the entries carry the time given";
}

TEST_F(ArchiveTest, AnAuthorsFileThatCannotBeReadIsNamedAndNoArchiveIsMade) {
    EXPECT_TRUE(files::removeAll(cover));
    const Outcome written = write();
    ASSERT_FALSE(written);
    EXPECT_NE(written.reason().find("My Cover.png"), std::string::npos) << written.reason();
    EXPECT_FALSE(files::exists(destination));
}

TEST_F(ArchiveTest, AnEarlyEntryIsTakenOnlyForTheBytesItHolds) {
    const auto early = [](const std::string& bytes) {
        return std::move(epub::archive::deflateEntries({{bytes, false}}).value()[0]);
    };
    const std::string plain = *bytes();
    // The right bytes change nothing; a stale entry of the same name, or of
    // the same size, is not taken.
    const epub::archive::EarlyEntries right = {{"OEBPS/content.opf", early("<package/>")}};
    const epub::archive::EarlyEntries stale = {{"OEBPS/content.opf", early("<packages/>")},
                                               {"OEBPS/section1.xhtml", early(std::string(5000, 'b'))},
                                               {"mimetype", early("application/epub+zip")}};
    EXPECT_EQ(*bytes(right), plain);
    EXPECT_EQ(*bytes(stale), plain);
}

TEST_F(ArchiveTest, AFailedWriteKeepsTheOldArchiveAndLeavesNoTemporaryFile) {
    EXPECT_TRUE(files::writeFileAtomically(destination, "the good old book"));
    // A package without its mimetype is refused.
    const epub::PackageFile mimetype = files[1];
    files.erase(files.begin() + 1);
    const Outcome refused = write();
    files.insert(files.begin() + 1, mimetype);
    EXPECT_FALSE(refused);
    EXPECT_FALSE(refused.reason().empty());
    EXPECT_EQ(archiveBytes(), "the good old book");

    folder.write("manuscript/photo.png", noise(200000));
    authors.push_back({"OEBPS/images/photo.png", "photo.png", "image/png"});
    // A child process whose files may not grow past 64 KiB: the archive
    // cannot be finished, as on a full disk.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{65536, 65536};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const Outcome result = write();
        ::_exit(result ? 0 : (result.reason().empty() ? 2 : 1));
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1) << "the failure is reported, with a reason";
    EXPECT_EQ(archiveBytes(), "the good old book");
    EXPECT_EQ(files::listFolder(folder.file("out")), std::vector<std::string>{"Book.epub"});

    // The same limit, but the process is killed at it, as a build can be.
    const pid_t killed = ::fork();
    ASSERT_GE(killed, 0);
    if (killed == 0) {
        const rlimit limit{65536, 65536};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        (void)write();
        ::_exit(0);
    }
    ::waitpid(killed, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(archiveBytes(), "the good old book");
    EXPECT_EQ(files::listFolder(folder.file("out")), std::vector<std::string>{"Book.epub"}) << "nothing left behind";
}

TEST_F(ArchiveTest, ANewArchiveIsReadableByOthersAndAReplacedOneKeepsItsMode) {
    ASSERT_TRUE(write());
    struct stat info;
    ASSERT_EQ(::stat(destination.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
    ::chmod(destination.c_str(), 0640);
    ASSERT_TRUE(write());
    ASSERT_EQ(::stat(destination.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST_F(ArchiveTest, LargeFilesAreReadInPiecesStoredWhenCompressedAndNeverHeldWhole) {
    constexpr std::uint64_t kLarge = 48u << 20;
    const std::string filmHead(
        "\0\0\0\x20"
        "ftypisom",
        12);
    MadeUpFiles madeUp;
    madeUp.made["film.mp4"] = {filmHead, kLarge, kLarge, false};
    madeUp.made["map.svg"] = {"<svg", kLarge, kLarge, true};
    authors = {{"OEBPS/media/film.mp4", "film.mp4", "video/mp4", filmHead, kLarge},
               {"OEBPS/images/map.svg", "map.svg", "image/svg+xml", "<svg", kLarge}};
    const std::size_t before = heapInUse();
    ASSERT_TRUE(epub::archive::writeArchive(list(), {madeUp, "manuscript"}, destination, kEntryTime));
    EXPECT_LT(madeUp.peak - before, 4u << 20) << "bytes held beyond the pages while 96 MB were packed";

    const std::string bytes = archiveBytes();
    for (const LocalHeader& header : localHeaders(bytes)) {
        EXPECT_EQ(header.method, header.name == "mimetype" || header.name == "OEBPS/media/film.mp4" ? 0u : 8u)
            << header.name;
        EXPECT_EQ(header.extraLength, 0u) << header.name;
    }
    EXPECT_LT(bytes.size(), kLarge + (1u << 20)) << "the SVG is deflated";
    const auto entries = readArchive(destination);
    ASSERT_TRUE(entries) << "sizes and checksums agree";
    for (const ArchiveEntry& entry : *entries) {
        if (entry.name.find("film") == std::string::npos) continue;
        const MadeUpFile film(filmHead, kLarge, kLarge, false, madeUp.peak);
        ASSERT_EQ(entry.content.size(), kLarge);
        for (std::uint64_t at = 0; at < kLarge; at += 4093) ASSERT_EQ(entry.content[at], film.byteAt(at)) << at;
    }
}

TEST_F(ArchiveTest, AFileThatIsNoLongerTheOneLookedAtFailsTheArchiveNamingIt) {
    EXPECT_TRUE(files::writeFileAtomically(destination, "the good old book"));
    const std::string png("\x89PNG\r\n\x1A\n", 8);
    struct Case {
        const char* what;
        MadeUpFiles::Made now;
    } const cases[] = {{"rewritten longer", {png, 1001, 1001, false}},
                       {"a GIF in the PNG's place", {"GIF89a", 1000, 1000, false}},
                       {"cut short while it is read", {png, 1000, 600, false}},
                       {"grown while it is read", {png, 1000, 1500, false}}};
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        MadeUpFiles madeUp;
        madeUp.made["photo.png"] = test.now;
        authors = {{"OEBPS/images/photo.png", "photo.png", "image/png", png, 1000}};
        const Outcome written = epub::archive::writeArchive(list(), {madeUp, "manuscript"}, destination, kEntryTime);
        ASSERT_FALSE(written);
        EXPECT_EQ(written.reason(), "cannot pack photo.png: changed while the book was being made; build it again");
        EXPECT_EQ(archiveBytes(), "the good old book");
        EXPECT_EQ(files::listFolder(folder.file("out")), std::vector<std::string>{"Book.epub"});
    }
}

}  // namespace
}  // namespace quillary::testing
