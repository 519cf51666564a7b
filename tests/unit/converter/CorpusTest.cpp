// Real-world files from ../shared/corpus: every one converts, and its
// visible text matches LibreOffice's own text export of it (committed under
// tests/fixtures/converter/reference by make-reference-texts.sh).

#include "ConverterTestSupport.h"
#include "build/Text.h"
#include "converter/WordImport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
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
// Over the whole corpus: LibreOffice's words that we write, and our words
// that LibreOffice writes. What keeps recall from 1 is LibreOffice's own
// spelling of symbol-font bullets and the footnote texts that the form moves
// into the note markers.
constexpr double kCorpusRecall = 0.997;
constexpr double kCorpusPrecision = 0.995;

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

// Words counted with their repeats: what LibreOffice wrote, what we wrote,
// and how many of each agree.
struct Tally {
    std::size_t found = 0;    // LibreOffice's words that we wrote, or left out as deleted
    std::size_t theirs = 0;
    std::size_t agreed = 0;   // our words that LibreOffice wrote too
    std::size_t ours = 0;     // our words, those of text boxes not counted
    void add(const Tally& other) {
        found += other.found, theirs += other.theirs, agreed += other.agreed, ours += other.ours;
    }
    double recall() const { return theirs ? static_cast<double>(found) / theirs : 1.0; }
    double precision() const { return ours ? static_cast<double>(agreed) / ours : 1.0; }
    double share() const { return static_cast<double>(found) / std::max<std::size_t>({theirs, ours, 1}); }
};

// The same RTF with one control word renamed to one the reader does not
// know, so that the reader reads the file as if it had no such word.
std::string withoutWord(std::string rtf, const std::string& word) {
    for (std::size_t at = rtf.find("\\" + word); at != std::string::npos; at = rtf.find("\\" + word, at + 2)) {
        std::size_t after = at + 1 + word.size();
        if (after < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[after]))) continue;
        rtf.insert(at + 1, "x");
    }
    return rtf;
}

Words minus(const Words& from, const Words& taken) {
    Words rest;
    for (const auto& [word, count] : from) {
        auto found = taken.find(word);
        std::size_t away = found == taken.end() ? 0 : std::min(count, found->second);
        if (count > away) rest[word] = count - away;
    }
    return rest;
}

std::size_t total(const Words& words) {
    std::size_t sum = 0;
    for (const auto& entry : words) sum += entry.second;
    return sum;
}

// LibreOffice's text export keeps text deleted under tracked changes and
// leaves text boxes out; we do the opposite. The words that make the
// difference are found by converting the file again with its revision marks,
// or its text boxes, unknown to the reader: a word that only the copy with
// revisions shows was deleted, one that only the copy with text boxes shows
// stands in a text box.
Tally compare(const std::string& html, const std::string& reference, const std::string& rtf) {
    std::size_t count = 0;
    Words ours = wordsOf(visibleText(html), count), theirs = wordsOf(reference, count), deleted, boxed;
    if (!rtf.empty()) {
        deleted = minus(wordsOf(visibleText(rtfToHtml(withoutWord(rtf, "deleted"))), count), ours);
        boxed = minus(ours, wordsOf(visibleText(rtfToHtml(withoutWord(withoutWord(rtf, "shptxt"), "dptxbxtext"))),
                                    count));
    }
    ours = minus(ours, boxed);
    Tally tally{0, total(theirs), 0, total(ours)};
    for (const auto& [word, count] : theirs) {
        std::size_t written = ours.count(word) ? ours[word] : 0;
        std::size_t left = deleted.count(word) ? deleted[word] : 0;
        tally.found += std::min(count, written + left);
        tally.agreed += std::min(count, written);
    }
    return tally;
}

// A corpus file converted, and the RTF our reader read for it.
struct Converted {
    Outcome outcome;
    std::string rtf;
};

void checkCorpus(const std::string& folder, auto&& convert) {
    std::string corpus = setting("QUILLARY_CORPUS");
    std::string references = setting("QUILLARY_FIXTURES") + "/converter/reference/";
    if (!fs::is_directory(corpus + "/" + folder)) GTEST_SKIP() << "no corpus at " << corpus;
    Tally whole;
    std::size_t files = 0;
    for (const auto& entry : fs::directory_iterator(corpus + "/" + folder)) {
        std::string name = entry.path().filename().string();
        auto [outcome, rtf] = convert(entry.path().string());
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
        Tally tally = compare(outcome.text, reference, rtf);
        whole.add(tally);
        if (std::getenv("QUILLARY_CORPUS_REPORT"))
            std::printf("%6zu of %6zu found, %6zu of %6zu agreed  %s\n", tally.found, tally.theirs, tally.agreed,
                        tally.ours, name.c_str());
        if (std::max(tally.theirs, tally.ours) < kMinWordsForShare) continue;
        double bar = outcome.text.find("&lt;&lt;") != std::string::npos ? kFileShareWithNotes : kFileShare;
        EXPECT_GE(tally.share(), bar) << name << ": " << tally.found << " of " << tally.theirs << " words found, "
                                      << tally.agreed << " of our " << tally.ours << " agreed";
    }
    EXPECT_GT(files, 0u);
    if (std::getenv("QUILLARY_CORPUS_REPORT"))
        std::printf("recall %.5f (%zu of %zu), precision %.5f (%zu of %zu)\n", whole.recall(), whole.found,
                    whole.theirs, whole.precision(), whole.agreed, whole.ours);
    EXPECT_GE(whole.recall(), kCorpusRecall) << whole.found << " of " << whole.theirs << " words found";
    EXPECT_GE(whole.precision(), kCorpusPrecision) << whole.agreed << " of our " << whole.ours << " words agreed";
}

TEST(Corpus, EveryRtfFileConvertsAndReadsLikeLibreOffice) {
    checkCorpus("rtf", [](const std::string& path) {
        std::string rtf = readFile(path);
        return Converted{Outcome{true, rtfToHtml(rtf)}, rtf};
    });
}

TEST(Corpus, EveryWordFileConvertsThroughLibreOffice) {
    if (findLibreOffice().empty()) GTEST_SKIP() << "LibreOffice is not installed";
    checkCorpus("doc", [](const std::string& path) {
        WordImport imported = importWordDocument(path);
        if (!imported.ok) return Converted{Outcome{false, "Error reading: " + imported.error}, ""};
        return Converted{Outcome{true, rtfToHtml(imported.rtf)}, imported.rtf};
    });
}

}  // namespace
}  // namespace conv::testing
