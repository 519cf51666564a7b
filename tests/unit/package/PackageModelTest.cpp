// The cover image the set-up finds, and the package document written from a model.
#include <gtest/gtest.h>

#include "../sections/BookUnderTest.h"
#include "base/Text.h"

namespace quillary::testing {
namespace {

TEST(CoverImage, TheTypeFollowsTheFoldersFirstCoverImage) {
    struct Case {
        std::vector<std::string> files;  // a name ending in "/" is a folder
        std::string type;
        bool reportedMissing;
    };
    const std::vector<Case> cases = {
        {{"COVER.png"}, "png", false},
        {{"cover.jpg", "cover.png"}, "jpg", false},
        {{"Cover.tar.jpg"}, "jpg", false},
        {{"cover.jpg/", "cover.png"}, "png", false},
        {{"cover.JPG", "cover.jpeg", "mycover.png"}, "png", true},
        {{}, "png", true},
    };
    for (const Case& test : cases) {
        BookUnderTest book;
        for (const std::string& name : test.files) {
            if (name.ends_with("/")) book.folder.makeFolder("manuscript/" + name);
            else book.folder.write("manuscript/" + name, "x");
        }
        const package::Assembly& assembly = book.prepare();
        EXPECT_EQ(assembly.model.facts.coverExtension, test.type) << test.files.size();
        EXPECT_EQ(assembly.model.facts.hasCover, !test.reportedMissing);
        EXPECT_EQ(book.problems.missingFiles == std::vector<std::string>{"cover.jpg"}, test.reportedMissing);
    }
}

TEST(PackageDocument, Epub2OrderOfManifestSpineAndGuideWithAContentsPage) {
    BookUnderTest book(false);
    book.templates.opf = "<manifest>\n$manifest\n</manifest>\n<spine>\n$spine\n</spine>\n<guide>\n"
                         "<reference href=\"cover.xhtml\" type=\"cover\"/>\n$guide\n</guide>\n";
    book.body({"<p>toc:</p>", "<p>srh: Start</p>", "<p>Text</p>"});
    book.build();
    const std::string opf = package::packageDocument(book.model, book.templates, package::epubRendering(book.model, ""));
    EXPECT_LT(opf.find("id=\"section1\""), opf.find("id=\"toc\""));
    EXPECT_LT(opf.find("idref=\"toc\""), opf.find("idref=\"section1\""));
    EXPECT_LT(opf.find("type=\"cover\""), opf.find("type=\"text\""));
    EXPECT_LT(opf.find("type=\"text\""), opf.find("type=\"toc\""));

    // Without its cover page the package names none.
    package::Rendering kindle = package::epubRendering(book.model, "");
    kindle.coverPage = false;
    EXPECT_FALSE(text::contains(package::packageDocument(book.model, book.templates, kindle), "cover.xhtml"));
}

}  // namespace
}  // namespace quillary::testing
