// Real-world files from ../shared/corpus: every one converts, and its
// visible text matches LibreOffice's own text export of it (committed under
// tests/fixtures/converter/reference by make-reference-texts.sh).

#include "ConverterTestSupport.h"
#include "converter/WordImport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>

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

// Unicode's white space, as LibreOffice's export uses it (six-per-em and
// other fixed-width spaces included), plus the byte-order mark.
bool isSpaceAt(std::string_view text, std::size_t i, std::size_t& length) {
    auto byte = [&](std::size_t k) { return i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0; };
    length = 1;
    unsigned char c = byte(0);
    if (c == ' ' || (c >= '\t' && c <= '\r')) return true;
    length = 2;
    if (c == 0xC2 && (byte(1) == 0xA0 || byte(1) == 0x85)) return true;
    length = 3;
    if (c == 0xE2 && byte(1) == 0x80 && (byte(2) <= 0x8A || byte(2) == 0xA8 || byte(2) == 0xA9 || byte(2) == 0xAF))
        return true;
    if (c == 0xE2 && byte(1) == 0x81 && byte(2) == 0x9F) return true;
    if (c == 0xE3 && byte(1) == 0x80 && byte(2) == 0x80) return true;
    if (c == 0xE1 && byte(1) == 0x9A && byte(2) == 0x80) return true;
    if (c == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF) return true;
    length = 1;
    return false;
}

Words wordsOf(std::string_view text, std::size_t& total) {
    Words words;
    std::string word;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        std::size_t length = 1;
        if (i == text.size() || isSpaceAt(text, i, length)) {
            if (!word.empty()) {
                ++words[word];
                ++total;
            }
            word.clear();
            i += length - 1;
        } else if (text.substr(i).starts_with("\xEF\xBF\xBD")) {
            word += '?';  // LibreOffice writes an undecodable byte as "?"
            i += 2;
        } else {
            word += text[i];
        }
    }
    return words;
}

struct Share {
    std::size_t matched = 0;
    std::size_t total = 0;  // the larger of the two word counts
};

Share compare(const std::string& html, const std::string& reference) {
    std::size_t ours = 0, theirs = 0;
    Words ourWords = wordsOf(visibleText(html), ours);
    Words theirWords = wordsOf(reference, theirs);
    Share share;
    for (const auto& [word, count] : theirWords) {
        auto found = ourWords.find(word);
        if (found != ourWords.end()) share.matched += std::min(count, found->second);
    }
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
    checkCorpus("doc", [](const std::string& path) { return convertFileToHtml(path); });
}

}  // namespace
}  // namespace conv::testing
