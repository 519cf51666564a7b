// Real-world files from ../shared/corpus: every one converts, and its
// visible text matches LibreOffice's own text export of it (committed under
// tests/fixtures/converter/reference by make-reference-texts.sh).

#include "ConverterTestSupport.h"
#include "build/Text.h"
#include "converter/WordImport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

namespace conv::testing {
namespace {

namespace fs = std::filesystem;

// Files this short are dominated by a bullet or a symbol that LibreOffice
// spells its own way; they must convert, but their word share says little.
constexpr std::size_t kMinWordsForShare = 100;
constexpr double kFileShare = 0.97;
// LibreOffice glues a footnote's number to the word before it; we move the
// note's text to its place as an endnote instead.
constexpr double kFileShareWithNotes = 0.95;
constexpr double kCorpusShare = 0.99;

using Words = std::map<std::string, std::size_t>;

// Counts the words of a text, split at Unicode's white space as LibreOffice's
// export uses it (six-per-em and other fixed-width spaces included) and at the
// byte-order mark; LibreOffice writes an undecodable byte as "?".
Words wordsOf(std::string text, std::size_t& total) {
    Lines spaces = {"\xC2\xA0", "\xC2\x85", "\xE2\x80\xA8", "\xE2\x80\xA9", "\xE2\x80\xAF", "\xE2\x81\x9F",
                    "\xE3\x80\x80", "\xE1\x9A\x80", "\xEF\xBB\xBF"};
    for (char last = '\x80'; last <= '\x8A'; ++last) spaces.push_back(std::string("\xE2\x80") + last);
    for (const std::string& space : spaces) quillary::text::replaceAll(text, space, " ");
    quillary::text::replaceAll(text, "\xEF\xBF\xBD", "?");
    Words words;
    std::istringstream in(text);
    for (std::string word; in >> word; ++total) ++words[word];
    return words;
}

struct Share {
    std::size_t matched = 0, total = 0;  // total: the larger of the two word counts
};

Share compare(const std::string& html, const std::string& reference) {
    Share share;
    std::size_t ours = 0, theirs = 0;
    Words ourWords = wordsOf(visibleText(html), ours);
    for (const auto& [word, count] : wordsOf(reference, theirs))
        if (ourWords.count(word)) share.matched += std::min(count, ourWords[word]);
    share.total = std::max(ours, theirs);
    return share;
}

void checkCorpus(const std::string& folder, auto&& convert) {
    std::string corpus = setting("QUILLARY_CORPUS");
    std::string references = setting("QUILLARY_FIXTURES") + "/converter/reference/";
    if (!fs::is_directory(corpus + "/" + folder)) GTEST_SKIP() << "no corpus at " << corpus;
    Share whole;
    std::size_t files = 0;
    for (const auto& entry : fs::directory_iterator(corpus + "/" + folder)) {
        std::string name = entry.path().filename().string();
        Outcome outcome = convert(entry.path().string());
        std::string reference = readFile(references + name + ".txt");
        ++files;
        if (!outcome.ok) {
            // Only a file that LibreOffice cannot read either may fail.
            EXPECT_TRUE(reference.empty()) << name << ": " << outcome.text;
            EXPECT_TRUE(outcome.text.starts_with("Error ")) << name;
            continue;
        }
        ASSERT_NE(outcome.text.find("</body>"), std::string::npos) << name;
        if (reference.empty()) continue;
        Share share = compare(outcome.text, reference);
        whole.matched += share.matched;
        whole.total += share.total;
        if (std::getenv("QUILLARY_CORPUS_REPORT"))
            std::printf("%6zu of %6zu words  %s\n", share.matched, share.total, name.c_str());
        if (share.total < kMinWordsForShare) continue;
        double bar = outcome.text.find("&lt;&lt;") != std::string::npos ? kFileShareWithNotes : kFileShare;
        EXPECT_GE(static_cast<double>(share.matched) / share.total, bar)
            << name << ": " << share.matched << " of " << share.total << " words";
    }
    EXPECT_GT(files, 0u);
    EXPECT_GE(static_cast<double>(whole.matched) / std::max<std::size_t>(whole.total, 1), kCorpusShare)
        << whole.matched << " of " << whole.total << " words";
}

TEST(Corpus, EveryRtfFileConvertsAndReadsLikeLibreOffice) {
    checkCorpus("rtf", [](const std::string& path) { return Outcome{true, rtfToHtml(readFile(path))}; });
}

TEST(Corpus, EveryWordFileConvertsThroughLibreOffice) {
    if (findLibreOffice().empty()) GTEST_SKIP() << "LibreOffice is not installed";
    // LibreOffice's profile and working files go to the test's own folder, so
    // every run starts from a fresh profile as on a new machine.
    quillary::testing::TestFolder folder;
    checkCorpus("doc", [](const std::string& path) {
        Outcome converted = convertFileToHtml(path);
        // The type check reads the container alone; it must take every file
        // that LibreOffice reads for Word.
        if (converted.ok) {
            EXPECT_NE(describeFile(path).text.find("  Type:  Word format\n"), std::string::npos) << path;
        }
        return converted;
    });
}

}  // namespace
}  // namespace conv::testing
