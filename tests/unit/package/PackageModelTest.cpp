// The cover image the assembly finds, and the package document written from a model.
#include <gtest/gtest.h>

#include <algorithm>

#include "../sections/BookUnderTest.h"
#include "base/Text.h"
#include "epub/BookFiles.h"
#include "epub/PackageDocument.h"

namespace quillary::testing {
namespace {

TEST(CoverImage, TheTypeFollowsTheFoldersFirstCoverImage) {
    struct Case {
        std::vector<FolderEntry> folder;
        std::string type;
        bool reportedMissing;
    };
    const std::vector<Case> cases = {
        {{{"COVER.png"}}, "png", false},
        {{{"cover.jpg"}, {"cover.png"}}, "jpg", false},
        {{{"Cover.tar.jpg"}}, "jpg", false},
        {{{"cover.jpg", true}, {"cover.png"}}, "png", false},
        {{{"cover.JPG"}, {"cover.jpeg"}, {"mycover.png"}}, "png", true},
        {{}, "png", true},
    };
    for (const Case& test : cases) {
        BookUnderTest book;
        book.folder = test.folder;
        book.build();
        EXPECT_EQ(book.model.facts.coverExtension, test.type) << test.folder.size();
        EXPECT_EQ(book.model.facts.hasCover, !test.reportedMissing);
        // No cover is told on its own: no file is missing.
        EXPECT_EQ(book.problems.noCover, test.reportedMissing);
        EXPECT_TRUE(book.problems.missingFiles.empty());
    }
}

TEST(PackageDocument, Epub2OrderOfManifestSpineAndGuideWithAContentsPage) {
    BookUnderTest book(false);
    book.templates.opf = "<manifest>\n$manifest\n</manifest>\n<spine>\n$spine\n</spine>\n<guide>\n"
                         "<reference href=\"cover.xhtml\" type=\"cover\"/>\n$guide\n</guide>\n";
    book.body({"<p>toc:</p>", "<p>srh: Start</p>", "<p>Text</p>"});
    book.build();
    const std::string opf = epub::packageDocument(book.model, book.templates, epub::epubRendering(book.model, ""));
    EXPECT_LT(opf.find("id=\"section1\""), opf.find("id=\"toc\""));
    EXPECT_LT(opf.find("idref=\"toc\""), opf.find("idref=\"section1\""));
    EXPECT_LT(opf.find("type=\"cover\""), opf.find("type=\"text\""));
    EXPECT_LT(opf.find("type=\"text\""), opf.find("type=\"toc\""));

    // Without its cover page the package names none.
    epub::Rendering kindle = epub::epubRendering(book.model, "");
    kindle.coverPage = false;
    EXPECT_FALSE(text::contains(epub::packageDocument(book.model, book.templates, kindle), "cover.xhtml"));
}

}  // namespace
}  // namespace quillary::testing
