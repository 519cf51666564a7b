// Books with pictures, players and endnotes, from canned converted HTML
// through the whole EPUB build, checked by EPUBCheck in both versions.
#include <gtest/gtest.h>

#include <map>

#include "build/Text.h"
#include "platform/Files.h"
#include "support/EpubInspector.h"
#include "support/Harness.h"

namespace quillary::testing {
namespace {

const std::string kPng("\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00\x00\x01\x00\x00\x00\x01\x08\x02\x00\x00\x00\x90\x77\x53\xde\x00\x00\x00\x0c\x49\x44\x41\x54\x78\x9c\x63\x60\x60\x68\x00\x00\x00\x84\x00\x81\xc9\x75\xee\x92\x00\x00\x00\x00\x49\x45\x4e\x44\xae\x42\x60\x82", 69);

const std::string kGif("GIF89a\x01\x00\x01\x00\xf0\x00\x00\x33\x66\x99\x33\x66\x99,\x00\x00\x00\x00\x01\x00\x01\x00\x40\x08\x04\x00\x01\x04\x04\x00;", 37);
const std::string kUmlaut = "\xC3\x9Cmlaut.png";

// Every image placement, images by their real names, both players, notes over one and several paragraphs
// and notes that cut a run, with the notes heading or without it.
std::vector<std::string> manuscript(bool endnotesHeading) {
    std::vector<std::string> lines = {"<html>", "<head>", "<title></title>", "</head>", "<body>"};
    for (const char* text :
         {"The sea&lt;&lt;Salt water.&gt;&gt; was calm and the ship&lt;&lt;A boat.&gt;&gt; sailed.",
          "image:Sea View.png", "rimage:boat.png", "limage:photo.png", "fimage:boat.png",
          "image:<a href=\"http://example.com/harbour\">boat.png</a>", "image:logo.GIF", "image:&#220;mlaut.png",
          "limage:50% 1.png", "bookmark: Chapter Two",
          "A note&lt;&lt;runs over", "a second paragraph", "and ends here.&gt;&gt; back in the text.",
          "Italic <i>start&lt;&lt;inside</i> the note&gt;&gt; end.", "Note&lt;&lt;a <i>note&gt;&gt; closes</i> after.",
          "audio:talk.mp3", "audio:My Song.m4a", "video:film.mp4", "video:clip.mov",
          endnotesHeading ? "pnh: Notes" : "", "The end&lt;&lt;Last note.&gt;&gt; of the book."})
        if (*text) lines.push_back(std::string("<p class=\"p1\">") + text + "</p>");
    lines.insert(lines.end(), {"</body>", "</html>"});
    return lines;
}

class MediaEndnotesBookTest : public ::testing::Test {
protected:
    Harness h{false};
    std::string destination = h.folder.makeFolder("Books");
    std::string epub = destination + "/Sea.epub";

    // The archive's entries by name; none when it cannot be read.
    std::map<std::string, std::string> build(bool epub3, bool endnotesHeading) {
        const std::string root = h.folder.makeFolder("Manuscript");
        for (const char* png : {"cover.png", "Sea View.png", "boat.png", "photo.png", "film.png", "clip.png"})
            h.folder.write(std::string("Manuscript/") + png, kPng);
        h.folder.write("Manuscript/" + kUmlaut, kPng);
        h.folder.write("Manuscript/50% 1.png", kPng);
        h.folder.write("Manuscript/logo.GIF", kGif);
        for (const char* media : {"talk.mp3", "My Song.m4a", "film.mp4", "clip.mov"})
            h.folder.write(std::string("Manuscript/") + media, std::string(512, '\0'));
        VoveZedevir& c = h.c();
        h.preferences.setBool(prefs::kEpub3, epub3);
        c.theFile = root + "/Sea.rtf";
        c.root = root;
        c.saveName = "Sea";
        c.saveRoot = destination;
        c.bookInfo = {"Sea", "Ann Author", "Press", "Copyright 2024", "2024-05-17", "9781234567897", "Fiction", "0"};
        c.lines = manuscript(endnotesHeading);
        c.styleText = "p.p1 {margin: 0;}\n.sz {font-size: 1em;}\n";
        c.buildePub();
        h.queue.drain();
        std::map<std::string, std::string> entries;
        for (auto& entry : readArchive(epub).value_or(std::vector<ArchiveEntry>{})) entries[entry.name] = entry.content;
        return entries;
    }
};

TEST_F(MediaEndnotesBookTest, EveryKindOfMediaAndNoteIsValidInBothVersions) {
    for (bool epub3 : {true, false}) {
        for (bool heading : {false, true}) {
            SCOPED_TRACE(std::string(epub3 ? "EPUB 3" : "EPUB 2") + (heading ? ", endnotes heading" : ""));
            auto entries = build(epub3, heading);
            ASSERT_FALSE(entries.empty());
            EXPECT_TRUE(h.c().missingFiles.empty());
            const std::string& opf = entries["OEBPS/content.opf"];
            EXPECT_TRUE(text::contains(opf, "href=\"media/clip.mov\" media-type=\"video/quicktime\""));
            EXPECT_TRUE(text::contains(opf, "href=\"media/MySong.m4a\" media-type=\"audio/mp4\""));
            EXPECT_EQ(entries["OEBPS/images/SeaView.png"], kPng);
            EXPECT_EQ(entries["OEBPS/images/" + kUmlaut], kPng);
            EXPECT_TRUE(text::contains(opf, "href=\"images/logo.GIF\" media-type=\"image/gif\""));
            const std::string& notes = entries["OEBPS/endnotes.xhtml"];
            // With the heading the last note stays in the text as typed.
            EXPECT_EQ(text::contains(notes, "Last note."), !heading);
            EXPECT_TRUE(text::contains(notes, "runs over<p class=\"p1\">a second paragraph</p>"));
            const EpubCheckVerdict verdict = runEpubCheck(epub);
            if (!verdict.ran) GTEST_SKIP() << "epubcheck is not installed";
            EXPECT_TRUE(verdict.passed) << verdict.output;
        }
    }
}

}  // namespace
}  // namespace quillary::testing
