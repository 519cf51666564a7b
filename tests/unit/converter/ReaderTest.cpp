// What the reader makes of field instructions, style names and the
// languages of the text. Code pages, Unicode escapes, groups, styles, fonts,
// nested documents and tables, edits and pictures are small documents in
// tests/fixtures/converter/small-documents.txt.

#include "ConverterTestSupport.h"
#include "converter/FieldInstruction.h"
#include "converter/RtfReader.h"
#include "converter/StyleRoles.h"

#include <gtest/gtest.h>

namespace conv::testing {
namespace {

// Unquoted targets, anchors and Windows paths are small documents' business.
TEST(HyperlinkInstruction, TargetsSwitchesAndAnchors) {
    const std::pair<std::string, std::string> cases[] = {
        {" HYPERLINK \"http://a.org/x\" ", "http://a.org/x"},
        {"hyperlink \"http://a.org\" \\o \"tip\" \\t \"_blank\"", "http://a.org"}, {"PAGEREF _Toc1", ""}, {"", ""}};
    for (const auto& [instruction, target] : cases) EXPECT_EQ(hyperlinkTarget(instruction), target) << instruction;
}

TEST(EquationInstruction, APhoneticGuideShowsItsBaseText) {
    const std::pair<std::string, std::string> cases[] = {
        {"eq \\o\\ac(\u25cb,\u5b57)", "\u5b57"},
        {"EQ \\s\\up 8(2) and \\o(a\\,b,c\\)d)", "2 and c)d"},
        {"EQ \\o\\ad(\\s\\up 10(x", "x"}, {"PAGE", ""}, {"EQUATION", ""},
        {"EQ " + std::string(5000, '(') + "x", ""}};
    for (const auto& [instruction, text] : cases) EXPECT_EQ(equationText(instruction), text) << instruction;
}

// A heading needs its number; the same word without one may be the title.
TEST(StyleNames, HeadingsByNumberInTheirLanguagesRolesByName) {
    const std::pair<std::string, StyleMeaning> cases[] = {
        {"heading 2", {2, ParaRole::Body}}, {"Heading2", {2, ParaRole::Body}}, {"HEADING 9", {6, ParaRole::Body}},
        {"\u00DCberschrift 3", {3, ParaRole::Body}}, {"Titre 1", {1, ParaRole::Body}}, {"Titre", {0, ParaRole::Title}},
        {"H1,heading 1,Chapter", {1, ParaRole::Body}}, {"Heading", {0, ParaRole::Body}},
        {"Heading 1 Char", {0, ParaRole::Body}}, {"Heading 12", {0, ParaRole::Body}},
        {"Sous-titre", {0, ParaRole::Subtitle}}, {"Figure", {0, ParaRole::Caption}},
        {"HTML Preformatted", {0, ParaRole::Preformatted}}, {"Chapter Title", {0, ParaRole::Body}}};
    for (const auto& [name, meaning] : cases) {
        StyleMeaning actual = styleMeaning(name);
        EXPECT_EQ(actual.headingLevel, meaning.headingLevel) << name;
        EXPECT_EQ(actual.role, meaning.role) << name;
    }
}

// Each letter counts for the language of its script: WordPad marks Hebrew
// with \lang alone, Word with \alang; the stated default decides only when
// no letter is in a language of the table.
TEST(DocumentLanguage, IsTheLanguageMostLettersAreIn) {
    const std::pair<std::string, std::string> cases[] = {
        {"{\\rtf1\\deflang1033\\lang1037 \\u1513?\\u1500?\\u1493?\\u1501? \\lang1033 ok}", "he-IL"},
        {"{\\rtf1\\deflang1033\\adeflang1025 {\\rtlch\\alang1037 \\u1513?\\u1500?} a}", "he-IL"},
        {"{\\rtf1\\deflang1036\\deflangfe2052 \\u26085?\\u26412? ab 12345.}", "zh-CN"},
        {"{\\rtf1\\deflang1031 Guten {\\lang2057 day, a long English stretch} Tag}", "en-GB"},
        {"{\\rtf1\\deflang1031\\lang1 Text}", "de-DE"}, {"{\\rtf1 Text}", ""}};
    for (const auto& [rtf, language] : cases) EXPECT_EQ(readRtf(rtf)->info.language, language) << rtf;
}

}  // namespace
}  // namespace conv::testing
