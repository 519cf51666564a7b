// Real-world files from ../shared/corpus: every one converts, and its
// visible text matches LibreOffice's own text export of it (committed under
// tests/fixtures/converter/reference by make-reference-texts.sh).

#include "ConverterTestSupport.h"
#include "base/Text.h"
#include "converter/CodePage.h"
#include "converter/DocxReader.h"
#include "converter/HtmlWriter.h"
#include "converter/WordImport.h"
#include "support/ZipParts.h"

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
// Over the whole corpus: LibreOffice's words that we write, and our words
// that LibreOffice writes. What differs after the normalising below is
// mostly LibreOffice's: a byte of the default charset it cannot read
// (WPTools), a blank it drops after a lone surrogate, a CJK trail byte that
// is a backslash; QUILLARY_CORPUS_REPORT=1 prints each file's differing words.
constexpr double kCorpusRecall = 0.999;
constexpr double kCorpusPrecision = 0.995;

// What stands in our text where a note was: LibreOffice writes the note's
// number there instead, glued to the word before or after it.
constexpr std::string_view kNoteMark = "\x01";

using Words = std::map<std::string, std::size_t>;

// LibreOffice writes a list's bullet in its own spelling (a middle dot for
// a Symbol bullet whose font names no charset, a white bullet for Courier
// New's "o", a plain bullet for Google's black circle, Word's "-" or a
// Wingdings check mark), while we write the marker the manuscript shows. At
// the start of a line, any bullet counts as the word "\u2022".
bool isBullet(const std::string& word) {
    static const Lines bullets = {"\u2022", "\u00B7", "\u25E6", "o", "-", "\u2013", "\u25CF", "\u25AA",
                                  "\u25A0", "\u25A1", "\u25FB", "\u2756", "\u27A2", "\u2713", "\u2751", "\u2212"};
    return std::find(bullets.begin(), bullets.end(), word) != bullets.end();
}

// LibreOffice writes the Symbol font's characters as the private-use U+F0xx,
// xx being the font's byte, where we write the character the font draws
// (whether that is the right one is the golden cases' business). Reading
// them as the Symbol font's lets the words compare.
std::string withSymbolFontCharacters(const std::string& text) {
    std::string out;
    TextDecoder decoder;
    for (std::size_t at = 0; at < text.size(); ++at) {
        auto lead = static_cast<unsigned char>(text[at]);
        auto middle = at + 2 < text.size() ? static_cast<unsigned char>(text[at + 1]) : 0;
        if (lead != 0xEF || middle < 0x80 || middle > 0x83) {
            out += text[at];
            continue;
        }
        char byte = static_cast<char>(((middle & 0x03) << 6) | (text[at + 2] & 0x3F));
        decoder.decode(kSymbolCodePage, std::string_view(&byte, 1), out);
        at += 2;
    }
    return out;
}

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
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream in(line);
        bool first = true;
        for (std::string word; in >> word; ++total, first = false)
            ++words[first && isBullet(word) ? "\u2022" : word];
    }
    return words;
}

// Words counted with their repeats: what LibreOffice wrote, what we wrote,
// and how many of each agree.
struct Tally {
    std::size_t found = 0;    // LibreOffice's words that we wrote, or left out as deleted or hidden
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

bool isNoteNumber(std::string_view text) {
    return !text.empty() && text.size() <= 4 &&
           text.find_first_not_of("0123456789ivxlcdmIVXLCDM") == std::string_view::npos;
}

// Our words with the note marks taken out, and LibreOffice's with the note
// numbers it glued into them taken out: a word of ours that held a mark
// stands for the one of theirs that holds a note number in that place. Only
// words beside a note change, so a word lost or added elsewhere still counts.
void unglueNotes(Words& ours, Words& theirs) {
    Words plain;
    for (const auto& [word, count] : ours) {
        std::size_t mark = word.find(kNoteMark);
        if (mark == std::string::npos) {
            plain[word] += count;
            continue;
        }
        std::string before = word.substr(0, mark), after = word.substr(mark + kNoteMark.size());
        quillary::text::replaceAll(after, std::string(kNoteMark), "");
        if (!(before + after).empty()) plain[before + after] += count;
        for (std::size_t note = 0; note < count; ++note) {
            auto glued = std::find_if(theirs.begin(), theirs.end(), [&](const auto& entry) {
                const std::string& theirWord = entry.first;
                return theirWord.size() > before.size() + after.size() && theirWord.starts_with(before) &&
                       theirWord.ends_with(after) &&
                       isNoteNumber(std::string_view(theirWord).substr(
                           before.size(), theirWord.size() - before.size() - after.size()));
            });
            if (glued == theirs.end()) break;
            if (--glued->second == 0) theirs.erase(glued);
            if (!(before + after).empty()) ++theirs[before + after];
        }
    }
    ours = std::move(plain);
}

// A corpus file converted, and converted again with its revision marks and
// hidden runs unknown to the reader (`revealed`), and without its text
// boxes (`unboxed`); "" where the file cannot be read so.
struct Converted {
    Output outcome;
    std::string revealed{}, unboxed{};
};

// LibreOffice's text export keeps text deleted under tracked changes and
// hidden text, and leaves text boxes out; we do the opposite. A word that
// only the revealed copy shows was deleted or hidden, one that the unboxed
// copy lacks stands in a text box.
Tally compare(const std::string& reference, const Converted& converted) {
    std::size_t count = 0;
    auto wordsOfHtml = [&count](const std::string& someHtml) {
        return wordsOf(visibleText(someHtml, kNoteMark), count);
    };
    Words ours = wordsOfHtml(*converted.outcome), theirs = wordsOf(withSymbolFontCharacters(reference), count), leftOut, boxed;
    if (!converted.revealed.empty()) leftOut = minus(wordsOfHtml(converted.revealed), ours);
    if (!converted.unboxed.empty()) boxed = minus(ours, wordsOfHtml(converted.unboxed));
    ours = minus(ours, boxed);
    unglueNotes(ours, theirs);
    if (std::getenv("QUILLARY_CORPUS_REPORT")) {
        for (const auto& [word, count] : minus(minus(theirs, ours), leftOut))
            std::printf("  - %zu %s\n", count, word.c_str());
        for (const auto& [word, count] : minus(ours, theirs)) std::printf("  + %zu %s\n", count, word.c_str());
    }
    Tally tally{0, total(theirs), 0, total(ours)};
    for (const auto& [word, count] : theirs) {
        std::size_t written = ours.count(word) ? ours[word] : 0;
        std::size_t left = leftOut.count(word) ? leftOut[word] : 0;
        tally.found += std::min(count, written + left);
        tally.agreed += std::min(count, written);
    }
    return tally;
}

// RTF our reader read, converted again as compare() needs it.
Converted convertedRtf(Output outcome, const std::string& rtf) {
    return {std::move(outcome), rtfToHtml(withoutWord(withoutWord(rtf, "deleted"), "v")),
            rtfToHtml(withoutWord(withoutWord(rtf, "shptxt"), "dptxbxtext"))};
}

// LibreOffice's references lie in the corpus for .docx files, among our fixtures for the others.
void checkCorpus(const std::string& folder, const std::string& references, auto&& convert) {
    std::string corpus = setting("QUILLARY_CORPUS");
    if (!fs::is_directory(corpus + "/" + folder)) GTEST_SKIP() << "no corpus at " << corpus;
    Tally whole;
    std::size_t files = 0;
    for (const auto& entry : fs::directory_iterator(corpus + "/" + folder)) {
        std::string name = entry.path().filename().string();
        const Converted converted = convert(entry.path().string());
        const Output& outcome = converted.outcome;
        std::string reference = readFile(references + name + ".txt");
        ++files;
        if (!outcome) {
            // Only a file that LibreOffice cannot read either may fail.
            EXPECT_TRUE(reference.empty()) << name << ": " << outcome.reason();
            EXPECT_TRUE(outcome.reason().starts_with("Error ")) << name;
            continue;
        }
        ASSERT_NE(outcome->find("</body>"), std::string::npos) << name;
        if (reference.empty()) continue;
        Tally tally = compare(reference, converted);
        whole.add(tally);
        if (std::getenv("QUILLARY_CORPUS_REPORT"))
            std::printf("%6zu of %6zu found, %6zu of %6zu agreed  %s\n", tally.found, tally.theirs, tally.agreed,
                        tally.ours, name.c_str());
        if (std::max(tally.theirs, tally.ours) < kMinWordsForShare) continue;
        EXPECT_GE(tally.share(), kFileShare) << name << ": " << tally.found << " of " << tally.theirs
                                             << " words found, " << tally.agreed << " of our " << tally.ours
                                             << " agreed";
    }
    EXPECT_GT(files, 0u);
    if (std::getenv("QUILLARY_CORPUS_REPORT"))
        std::printf("recall %.5f (%zu of %zu), precision %.5f (%zu of %zu)\n", whole.recall(), whole.found,
                    whole.theirs, whole.precision(), whole.agreed, whole.ours);
    EXPECT_GE(whole.recall(), kCorpusRecall) << whole.found << " of " << whole.theirs << " words found";
    EXPECT_GE(whole.precision(), kCorpusPrecision) << whole.agreed << " of our " << whole.ours << " words agreed";
}

const std::string kReferences = setting("QUILLARY_FIXTURES") + "/converter/reference/";

// The same package with one of its parts edited.
std::string withEditedPart(const std::string& docx, const std::string& name,
                           const std::vector<std::pair<std::string, std::string>>& replacements) {
    quillary::testing::ZipEntries entries = quillary::testing::unzipArchive(docx);
    for (auto& [entryName, content] : entries) {
        if (entryName != name) continue;
        for (const auto& [from, to] : replacements) quillary::text::replaceAll(content, from, to);
    }
    return quillary::testing::zipArchive(entries);
}

Output docxToHtml(const std::string& docx) {
    quillary::Result<Document> document = readDocx(docx);
    if (!document) return quillary::failure("Error reading: " + document.reason());
    return writeHtml(*document);
}

TEST(Corpus, EveryDocxFileReadsLikeLibreOffice) {
    checkCorpus("docx", setting("QUILLARY_CORPUS") + "/libreoffice-txt/", [](const std::string& path) {
        const std::string docx = readFile(path);
        Converted converted{docxToHtml(docx)};
        // Revisions kept and hidden text shown, text boxes read as deleted text.
        const std::string revealed = withEditedPart(docx, "word/document.xml",
            {{"<w:del ", "<w:ins "}, {"</w:del>", "</w:ins>"}, {"w:delText", "w:t"}, {"<w:moveFrom ", "<w:moveTo "},
             {"</w:moveFrom>", "</w:moveTo>"}, {"<w:vanish/>", ""}});
        const std::string unboxed = withEditedPart(docx, "word/document.xml", {{"w:txbxContent", "w:del"}});
        if (Output html = docxToHtml(revealed)) converted.revealed = *html;
        if (Output html = docxToHtml(unboxed)) converted.unboxed = *html;
        return converted;
    });
}

TEST(Corpus, EveryRtfFileConvertsAndReadsLikeLibreOffice) {
    checkCorpus("rtf", kReferences, [](const std::string& path) {
        std::string rtf = readFile(path);
        return convertedRtf(rtfToHtml(rtf), rtf);
    });
}

TEST(Corpus, EveryWordFileConvertsThroughLibreOffice) {
    if (findLibreOffice().empty()) GTEST_SKIP() << "LibreOffice is not installed";
    // LibreOffice's profile and working files go to the test's own folder, so
    // every run starts from a fresh profile as on a new machine.
    quillary::testing::TestFolder folder;
    checkCorpus("doc", kReferences, [](const std::string& path) {
        // As in a build: the type check, which reads the container alone and
        // must take every file that LibreOffice reads for Word, then LibreOffice.
        Output type = describeFile(path);
        if (!type) return Converted{type, ""};
        EXPECT_NE(type->find("  Type:  Word format\n"), std::string::npos) << path;
        quillary::Result<std::string> imported = importWordDocument(path, userLibreOffice());
        if (!imported) return Converted{quillary::failure("Error converting: " + imported.reason())};
        return convertedRtf(rtfToHtml(*imported), *imported);
    });
}

}  // namespace
}  // namespace conv::testing
