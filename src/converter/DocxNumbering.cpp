#include "converter/DocxNumbering.h"

#include "converter/CodePage.h"

#include <algorithm>
#include <utility>

namespace conv {

namespace {

// Past this many repeats a letter number ("aaaa…") is damage.
constexpr int kMaxLetterRepeats = 8;
constexpr int kMaxRoman = 3999;

std::string roman(int value, bool upper) {
    static const std::pair<int, std::string_view> numerals[] = {
        {1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"}, {50, "l"},
        {40, "xl"}, {10, "x"}, {9, "ix"}, {5, "v"}, {4, "iv"}, {1, "i"}};
    std::string text;
    for (const auto& [amount, numeral] : numerals) {
        for (; value >= amount; value -= amount) text += numeral;
    }
    if (upper) {
        for (char& c : text) c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

// Word counts a, b, … z, then aa, bb, … zz, then aaa.
std::string letters(int value, bool upper) {
    const int repeats = std::min((value - 1) / 26 + 1, kMaxLetterRepeats);
    return std::string(static_cast<std::size_t>(repeats), static_cast<char>((upper ? 'A' : 'a') + (value - 1) % 26));
}

std::string ordinal(int value) {
    const int lastTwo = value % 100, last = value % 10;
    const char* suffix = lastTwo >= 11 && lastTwo <= 13 ? "th"
                         : last == 1                    ? "st"
                         : last == 2                    ? "nd"
                         : last == 3                    ? "rd"
                                                        : "th";
    return std::to_string(value) + suffix;
}

}  // namespace

void DocxNumbering::read(std::optional<XmlPart> numbering) {
    part_ = std::move(numbering);
    if (!part_) return;
    const XmlPart& part = *part_;
    for (pugi::xml_node node = part.root().first_child(); node; node = node.next_sibling()) {
        if (part.is(node, Ns::W, "abstractNum")) {
            Definition& definition = definitions_[numberOf(part.attribute(node, Ns::W, "abstractNumId").value())];
            for (pugi::xml_node lvl = node.first_child(); lvl; lvl = lvl.next_sibling()) {
                const int level = numberOf(part.attribute(lvl, Ns::W, "ilvl").value(), -1);
                if (part.is(lvl, Ns::W, "lvl") && level >= 0 && level < kLevels)
                    definition.levels[level] = readLevel(lvl);
            }
        } else if (part.is(node, Ns::W, "num")) {
            Instance& instance = instances_[numberOf(part.attribute(node, Ns::W, "numId").value())];
            instance.definition = numberOf(part.val(part.child(node, Ns::W, "abstractNumId")), -1);
            for (pugi::xml_node override = node.first_child(); override; override = override.next_sibling()) {
                const int level = numberOf(part.attribute(override, Ns::W, "ilvl").value(), -1);
                if (!part.is(override, Ns::W, "lvlOverride") || level < 0 || level >= kLevels) continue;
                if (pugi::xml_node start = part.child(override, Ns::W, "startOverride"))
                    instance.startOverrides[level] = numberOf(part.val(start));
                if (pugi::xml_node lvl = part.child(override, Ns::W, "lvl"))
                    instance.levelOverrides[level] = readLevel(lvl);
            }
        }
    }
}

DocxNumbering::Level DocxNumbering::readLevel(pugi::xml_node lvl) const {
    const XmlPart& part = *part_;
    Level level;
    level.defined = true;
    if (pugi::xml_node start = part.child(lvl, Ns::W, "start")) level.start = numberOf(part.val(start), 1);
    if (pugi::xml_node restart = part.child(lvl, Ns::W, "lvlRestart"))
        level.restartAfter = numberOf(part.val(restart), -1);
    if (pugi::xml_node format = part.child(lvl, Ns::W, "numFmt")) level.format = part.val(format);
    if (pugi::xml_node text = part.child(lvl, Ns::W, "lvlText")) level.text = part.val(text);
    if (pugi::xml_node suffix = part.child(lvl, Ns::W, "suff")) {
        const std::string_view value = part.val(suffix);
        level.suffix = value == "space" ? " " : value == "nothing" ? "" : "\t";
    }
    const pugi::xml_node legal = part.child(lvl, Ns::W, "isLgl");
    level.legal = isOn(part.val(legal), !legal.empty());
    level.pPr = part.child(lvl, Ns::W, "pPr");
    const pugi::xml_node fonts = part.child(part.child(lvl, Ns::W, "rPr"), Ns::W, "rFonts");
    level.pictureCodePage = pictureFontCodePage(part.attribute(fonts, Ns::W, "ascii").value());
    return level;
}

const DocxNumbering::Level* DocxNumbering::levelOf(const Instance& instance, int level) const {
    if (instance.levelOverrides[level]) return &*instance.levelOverrides[level];
    const auto definition = definitions_.find(instance.definition);
    if (definition == definitions_.end() || !definition->second.levels[level].defined) return nullptr;
    return &definition->second.levels[level];
}

void DocxNumbering::applyLevel(int numId, int level, DocxStyles& styles, ParaProps& into) const {
    const auto instance = instances_.find(numId);
    if (instance == instances_.end() || level < 0 || level >= kLevels) return;
    if (const Level* found = levelOf(instance->second, level); found && found->pPr)
        styles.applyParagraph(*part_, found->pPr, into);
}

std::string DocxNumbering::numberText(const Level& level, int value, bool legal) const {
    const std::string_view format = legal ? std::string_view("decimal") : std::string_view(level.format);
    if (value < 1 && format != "decimal" && format != "decimalZero") return std::to_string(value);
    if (format == "upperRoman" || format == "lowerRoman")
        return value <= kMaxRoman ? roman(value, format == "upperRoman") : std::to_string(value);
    if (format == "upperLetter" || format == "lowerLetter") return letters(value, format == "upperLetter");
    if (format == "decimalZero" && value >= 0 && value < 10) return "0" + std::to_string(value);
    if (format == "ordinal") return ordinal(value);
    return std::to_string(value);
}

std::string DocxNumbering::nextMark(int numId, int level, TextDecoder& decoder) {
    const auto found = instances_.find(numId);
    if (found == instances_.end() || level < 0 || level >= kLevels) return {};
    Instance& instance = found->second;
    const auto definitionFound = definitions_.find(instance.definition);
    const Level* current = levelOf(instance, level);
    if (definitionFound == definitions_.end() || !current || current->format == "none") return {};
    Definition& definition = definitionFound->second;
    // A list that restarts another's numbering does so where it is first used.
    if (!std::exchange(instance.used, true)) {
        for (int k = 0; k < kLevels; ++k)
            if (instance.startOverrides[k]) definition.counted[k] = false;
    }
    auto startOf = [&](int k) {
        const Level* defined = levelOf(instance, k);
        return instance.startOverrides[k].value_or(defined ? defined->start : 1);
    };
    // A level passed over on the way down counts as having shown its start,
    // as Word counts it: a later item of that level is then its second.
    for (int above = 0; above < level; ++above) {
        if (!definition.counted[above]) definition.counters[above] = startOf(above);
        definition.counted[above] = true;
    }
    definition.counters[level] = definition.counted[level] ? definition.counters[level] + 1 : startOf(level);
    definition.counted[level] = true;
    for (int deeper = level + 1; deeper < kLevels; ++deeper) {
        const Level* below = levelOf(instance, deeper);
        const int after = below ? below->restartAfter : -1;
        if (after < 0 || (after > 0 && level < after)) definition.counted[deeper] = false;
    }
    if (current->format == "bullet") {
        std::string mark;
        if (current->pictureCodePage) appendPictureFontText(decoder, current->pictureCodePage, current->text, mark);
        else mark = current->text;
        return mark + current->suffix;
    }
    std::string mark;
    const std::string& text = current->text;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] == '%' && at + 1 < text.size() && text[at + 1] >= '1' && text[at + 1] <= '9') {
            const int k = text[++at] - '1';
            const Level* shown = levelOf(instance, k);
            const int value = definition.counted[k] ? definition.counters[k] : startOf(k);
            mark += shown ? numberText(*shown, value, current->legal && k != level) : std::to_string(value);
        } else {
            mark += text[at];
        }
    }
    return mark + current->suffix;
}

}  // namespace conv
