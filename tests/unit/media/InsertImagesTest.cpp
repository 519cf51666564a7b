#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "epub/Media.h"
#include "epub/PackageDocument.h"
#include "support/Harness.h"

using namespace quillary;
using namespace quillary::epub;
using Names = std::vector<std::string>;
using State = FileLookup::State;

namespace {

// A manuscript's folder holding the given files (a name with a "/" stands
// for a file in a folder of that name), sorted as the port lists it.
std::vector<FolderEntry> folderOf(const Names& files) {
    std::vector<FolderEntry> folder;
    for (const auto& name : files) {
        const std::size_t slash = name.find('/');
        folder.push_back({name.substr(0, slash), slash != std::string::npos});
    }
    std::sort(folder.begin(), folder.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    return folder;
}

// What the pages get for each name they use, as "stored" or "-missing" / "-unusable".
Names lookUp(AuthorFileIndex& index, const Names& images, const Names& media = {}) {
    Names answers;
    for (const auto& [names, image] : {std::pair{&images, true}, std::pair{&media, false}}) {
        for (const auto& name : *names) {
            const FileLookup found = image ? index.image(name) : index.media(name);
            answers.push_back(found.state == State::usable ? found.stored
                              : found.state == State::missing ? "-missing" : "-unusable");
        }
    }
    return answers;
}

std::string item(const std::string& id, const std::string& href, const std::string& type) {
    return "    <item id=\"" + id + "\" href=\"" + href + "\" media-type=\"" + type + "\"/>\n";
}

}  // namespace

TEST(InsertImages, UsedFilesArriveOnceInFolderOrderUnderDistinctSafeNames) {
    const std::string umlaut = "\xC3\x9Cmlaut.png";
    const auto folder = folderOf({"COVER.jpg", "cover.png", "Sea View.png", "SeaView.png", "g#h.png", "g_h.png",
                                  "unused.jpg", "Map.JPG", umlaut, "art/boat.png", "talk.mov", "talk.png"});
    AuthorFileIndex index(folder, "is no picture");
    // The older "SeaView.png" lies beside the one the author means: each
    // is found by its exact name and stored under a name of its own.
    EXPECT_EQ(lookUp(index, {"cover.jpg", "Sea View.png", "SeaView.png", "g#h.png", "g_h.png", "Map.JPG", umlaut,
                             "boat.png", "Sea View.png", "talk.png"},
                     {"talk.mov", "song.mp3"}),
              (Names{"cover.jpg", "SeaView.png", "SeaView-2.png", "g_h.png", "g_h-2.png", "Map.JPG", umlaut,
                     "-missing", "SeaView.png", "talk.png", "talk.mov", "-missing"}));
    const PackedFiles packed = index.packed();
    EXPECT_EQ(packed.files.front().source, "COVER.jpg");
    EXPECT_EQ(manifestLines(packed.manifest),
              item("image1", "images/Map.JPG", "image/jpeg") + item("image2", "images/SeaView.png", "image/png") +
                  item("image3", "images/SeaView-2.png", "image/png") + item("image4", "images/g_h.png", "image/png") +
                  item("image5", "images/g_h-2.png", "image/png") + item("image6", "images/talk.png", "image/png") +
                  item("image7", "images/%C3%9Cmlaut.png", "image/png") + item("media1", "media/talk.mov", "video/quicktime"));
    EXPECT_TRUE(packed.invalidNames.empty());
}

TEST(InsertImages, NamesTheContainerForbidsAreListedEvenUnusedAndNeverPacked) {
    const auto folder = folderOf({"cover.?.png", "a&b.png", "why?.mp3", "a:b.png", "tab\t.png", "\xFF.png", "ok.png"});
    AuthorFileIndex index(folder, "is no picture");
    EXPECT_EQ(lookUp(index, {"a:b.png", "a&b.png", "ok.png"}, {"why?.mp3"}),
              (Names{"-unusable", "a&b.png", "ok.png", "-unusable"}));
    const PackedFiles packed = index.packed();
    // The cover is named "cover.png" in the book, whatever its own name.
    EXPECT_EQ(packed.invalidNames, (Names{"a:b.png", "tab\t.png", "\xFF.png", "why?.mp3"}));
    EXPECT_EQ(packed.files.size(), 2u);
}

// What an author's folder may hold that no book may: each is left out, with
// why, and a picture is packed as what its bytes are.
TEST(InsertImages, OnlyRegularFilesInsideTheFolderArePackedAsWhatTheyAre) {
    quillary::testing::TestFolder test;
    const std::string folder = test.makeFolder("manuscript");
    test.write("private/id_rsa", "SECRET");
    test.write("manuscript/pic.jpg", quillary::testing::kPngBytes);
    test.write("manuscript/notes.png", "just text");
    test.write("manuscript/cover.png", quillary::testing::kPngBytes);
    ASSERT_EQ(::symlink(test.file("private/id_rsa").c_str(), test.file("manuscript/cover.jpg").c_str()), 0);
    ASSERT_EQ(::symlink("pic.jpg", test.file("manuscript/inside.jpg").c_str()), 0);
    ASSERT_EQ(::symlink("/dev/zero", test.file("manuscript/zero.png").c_str()), 0);
    ASSERT_EQ(::mkfifo(test.file("manuscript/pipe.png").c_str(), 0600), 0);
    // A sparse file past the limit: refused before a byte is read.
    const std::string huge = test.write("manuscript/huge.png", quillary::testing::kPngBytes);
    ASSERT_EQ(::truncate(huge.c_str(), static_cast<off_t>(kAuthorFileLimit + 1)), 0);

    const std::vector<FolderEntry> entries = lookAtAuthorFiles(PosixAuthorFiles(), folder);
    AuthorFileIndex index(entries, "is no picture");
    EXPECT_EQ(index.refusedCovers(), Names{"cover.jpg links outside the manuscript's folder; copy the file into the folder"});
    EXPECT_EQ(index.coverName(), "cover.png");
    for (const auto& [name, reason] : {std::pair{"pipe.png", "named pipe"}, {"zero.png", "links outside"},
                                       {"notes.png", "is no picture"}, {"huge.png", "is larger than 1 GB"}}) {
        const FileLookup found = index.image(name);
        EXPECT_EQ(found.state, State::refused) << name;
        EXPECT_NE(found.reason.find(reason), std::string::npos) << name << ": " << found.reason;
    }
    EXPECT_EQ(index.image("pic.jpg").state, State::usable);
    EXPECT_EQ(index.image("inside.jpg").state, State::usable);
    // The archive packs each only while it is still what was looked at.
    for (const AuthorFile& file : index.packed().files) {
        EXPECT_EQ(file.head, quillary::testing::kPngBytes) << file.source;
        EXPECT_EQ(file.size, quillary::testing::kPngBytes.size()) << file.source;
    }
    EXPECT_EQ(manifestLines(index.packed().manifest),
              item("image1", "images/inside.png", "image/png") + item("image2", "images/pic.png", "image/png"));
}
