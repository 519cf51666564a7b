#include <gtest/gtest.h>

#include "manuscript/Normalise.h"

using namespace quillary;
using namespace quillary::manuscript;

TEST(EncodeForHTML, WritesCodePointsAndReplacesWhatIsNotWellFormedOrAllowed) {
    const std::string ascii = "<p class=\"p1\">Plain &amp; simple\t~</p>\n";
    const std::string run(21, 'x');  // long plain runs, so the word-at-a-time copy meets what follows
    const std::pair<std::string, std::string> cases[] = {
        // Code points, not bytes or UTF-16 units; ASCII as it is.
        {"caf\xC3\xA9", "caf&#233;"}, {"\xE2\x82\xAC 5", "&#8364; 5"}, {"a\xC2\xA0" "b", "a&#160;b"},
        {"\xF0\x9F\x98\x80!", "&#128512;!"}, {"\xF4\x8F\xBF\xBF", "&#1114111;"}, {"", ""}, {ascii, ascii},
        // Each ill-formed stretch is replaced and what follows kept: a lone continuation byte, a lead byte
        // at the very end, a sequence cut short by ASCII, an overlong slash, an encoded surrogate, a byte
        // that never occurs in UTF-8, and a value past U+10FFFF.
        {"a\x80" "b", "a&#65533;b"}, {"end\xE2", "end&#65533;"}, {"\xE2\x82" "x", "&#65533;x"},
        {"\xC0\xAF", "&#65533;&#65533;"}, {"\xED\xA0\x80", "&#65533;&#65533;&#65533;"},
        {"\xFF" "\xC3\xA9", "&#65533;&#233;"}, {"\xF4\x90\x80\x80", "&#65533;&#65533;&#65533;&#65533;"},
        // Characters XML forbids become the replacement character; white space and DEL stay.
        {std::string("a\0b\x01\x1F\x7F", 6), "a&#65533;b&#65533;&#65533;\x7F"},
        {"\xEF\xBF\xBE\xEF\xBF\xBF\xEF\xBF\xBD", "&#65533;&#65533;&#65533;"}, {"\t\n\r\v\f", "\t\n\r\v\f"},
        {run + "\x02" + run + "\n" + run, run + "&#65533;" + run + "\n" + run}};
    for (const auto& [in, out] : cases) EXPECT_EQ(EncodeForHTML(in), out) << in;
}

TEST(EncodeForHTML, AnyBytesGiveAsciiOnly) {
    std::string every;
    for (int i = 0; i < 256; ++i) every += static_cast<char>(i);
    for (char c : EncodeForHTML(every + every)) EXPECT_LT(static_cast<unsigned char>(c), 0x80u);
}
