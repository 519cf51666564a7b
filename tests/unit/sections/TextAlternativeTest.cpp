#include <gtest/gtest.h>

#include "BookUnderTest.h"

using namespace quillary;
using namespace quillary::testing;

TEST(TextAlternative, AnAltParagraphDirectlyAfterAnImageDescribesItAndIsNotCopied) {
    const std::string image = "<div style=\"text-align:center\"><img src=\"images/boat.png\" alt=\"";
    const struct {
        const char* what;
        std::vector<std::string> body;
        std::string section;
        std::vector<std::string> withoutAlternative;
    } cases[] = {
        {"directly after", {"<p>image:boat.png</p>", "<p class=\"p2\">ALT: A <i>red</i> \"boat\"</p>", "<p>Text</p>"},
         image + "A red &quot;boat&quot;\"/></div>\n" + wrapped("Text"), {}},
        {"a bare alt: marks decoration", {"<p>image:boat.png</p>", "<p>alt:</p>"}, image + "\"/></div>\n", {}},
        {"one paragraph later it is text", {"<p>image:boat.png</p>", "<p>Text</p>", "<p>alt: late</p>"},
         image + "boat\"/></div>\n" + wrapped("Text") + wrapped("alt: late"), {"boat.png"}},
        {"without an image before it", {"<p>alt: alone</p>"}, wrapped("alt: alone"), {}},
        {"an image that ends the book", {"<p>Text</p>", "<p>image:boat.png</p>"},
         wrapped("Text") + image + "boat\"/></div>\n", {"boat.png"}},
        {"a heading between them ends the image's section",
         {"<p>image:boat.png</p>", "<p>bookmark: Next</p>", "<p>alt: no image here</p>"},
         image + "boat\"/></div>\n", {"boat.png"}},
    };
    for (const auto& test : cases) {
        BookUnderTest book;
        book.body(test.body);
        book.build();
        EXPECT_EQ(book.section(1), test.section) << test.what;
        EXPECT_EQ(book.problems.imagesWithoutAlternative, test.withoutAlternative) << test.what;
    }
}
