#include "converter/DocxStyles.h"

#include "base/Utf8.h"
#include "converter/CodePage.h"
#include "converter/StyleRoles.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace conv {

namespace {

// As the RTF reader clamps them: past 22 inches a length is damage, and
// Word's font sizes run from 1 to 1638 points.
constexpr int kMaxTwips = 31680;
constexpr int kMinHalfPoints = 2;
constexpr int kMaxHalfPoints = 3276;
// Word's widest border is six points.
constexpr int kMaxBorderTwips = 120;

// Word lets a style stand on nine others at most; a longer chain loops.
constexpr int kMaxStyleChain = 32;

int twips(std::string_view value) { return std::clamp(numberOf(value), -kMaxTwips, kMaxTwips); }

// The sixteen colours a highlighter has.
Rgb highlightOf(std::string_view name) {
    static const std::pair<std::string_view, Rgb> colours[] = {
        {"yellow", 0xFFFF00}, {"green", 0x00FF00}, {"cyan", 0x00FFFF}, {"magenta", 0xFF00FF},
        {"blue", 0x0000FF}, {"red", 0xFF0000}, {"darkBlue", 0x000080}, {"darkCyan", 0x008080},
        {"darkGreen", 0x008000}, {"darkMagenta", 0x800080}, {"darkRed", 0x800000}, {"darkYellow", 0x808000},
        {"darkGray", 0x808080}, {"lightGray", 0xC0C0C0}, {"black", 0x000000}, {"white", 0xFFFFFF}};
    for (const auto& [colourName, rgb] : colours) {
        if (colourName == name) return rgb;
    }
    return kAutoColor;
}

Border::Style borderStyleOf(std::string_view value) {
    if (value == "nil" || value == "none" || value.empty()) return Border::Style::None;
    if (value.starts_with("double") || value.starts_with("triple") || value.starts_with("thinThick") ||
        value.starts_with("thickThin"))
        return Border::Style::Double;
    if (value == "dotted") return Border::Style::Dotted;
    if (value.starts_with("dash") || value.starts_with("dot")) return Border::Style::Dashed;
    return Border::Style::Solid;
}

// Lines are 240ths of a line when "auto", else twips at least or exactly;
// single spacing is no rule at all, as RTF writes it.
void applyLineSpacing(std::string_view rule, std::string_view value, ParaFormat& format) {
    const int line = std::abs(twips(value));
    const bool multiple = rule.empty() || rule == "auto";
    format.lineMultiple = multiple && line != 240;
    format.lineSpacing = multiple ? (line == 240 ? 0 : line) : rule == "exact" ? -line : line;
}

std::string_view wordName(const XmlPart& part, pugi::xml_node node) {
    std::string_view local;
    return part.nameSpace(node.name(), &local) == Ns::W ? local : std::string_view();
}

}  // namespace

void DocxStyles::readTheme(std::optional<XmlPart> theme) {
    if (!theme) return;
    const pugi::xml_node elements = theme->child(theme->root(), Ns::A, "themeElements");
    const pugi::xml_node scheme = theme->child(elements, Ns::A, "fontScheme");
    for (std::string_view kind : {"major", "minor"}) {
        const pugi::xml_node fonts = theme->child(scheme, Ns::A, kind == "major" ? "majorFont" : "minorFont");
        const std::string prefix(kind);
        const std::string latin = theme->attribute(theme->child(fonts, Ns::A, "latin"), Ns::None, "typeface").value();
        themeFonts_[prefix + "Ascii"] = latin;
        themeFonts_[prefix + "HAnsi"] = latin;
        themeFonts_[prefix + "EastAsia"] =
            theme->attribute(theme->child(fonts, Ns::A, "ea"), Ns::None, "typeface").value();
        themeFonts_[prefix + "Bidi"] = theme->attribute(theme->child(fonts, Ns::A, "cs"), Ns::None, "typeface").value();
    }
}

void DocxStyles::readStyles(std::optional<XmlPart> styles) {
    stylesPart_ = std::move(styles);
    if (!stylesPart_) return;
    const XmlPart& part = *stylesPart_;
    const pugi::xml_node defaults = part.child(part.root(), Ns::W, "docDefaults");
    applyRun(part, part.child(part.child(defaults, Ns::W, "rPrDefault"), Ns::W, "rPr"), defaults_.run);
    applyParagraph(part, part.child(part.child(defaults, Ns::W, "pPrDefault"), Ns::W, "pPr"), defaults_.para);
    for (pugi::xml_node node = part.root().first_child(); node; node = node.next_sibling()) {
        if (!part.is(node, Ns::W, "style")) continue;
        Style style{node, std::string(part.val(part.child(node, Ns::W, "basedOn"))),
                    std::string(part.val(part.child(node, Ns::W, "name"))),
                    part.attribute(node, Ns::W, "type").value()};
        const std::string id = part.attribute(node, Ns::W, "styleId").value();
        const pugi::xml_attribute isDefault = part.attribute(node, Ns::W, "default");
        if (isOn(isDefault.value(), !isDefault.empty())) {
            if (style.type == "paragraph" && defaultParagraphStyle_.empty()) defaultParagraphStyle_ = id;
            if (style.type == "character" && defaultCharacterStyle_.empty()) defaultCharacterStyle_ = id;
        }
        styles_.try_emplace(id, std::move(style));
    }
}

// Calls `visit` on the styles of a chain, the farthest ancestor first.
template <typename Visit>
void DocxStyles::forEachInChain(std::string_view styleId, Visit&& visit) const {
    std::vector<const Style*> chain;
    for (std::string id(styleId); chain.size() < kMaxStyleChain;) {
        const auto found = styles_.find(id);
        if (found == styles_.end() || std::find(chain.begin(), chain.end(), &found->second) != chain.end()) break;
        chain.push_back(&found->second);
        id = found->second.basedOn;
    }
    for (auto style = chain.rbegin(); style != chain.rend(); ++style) visit(**style);
}

const DocxStyles::ResolvedParagraph& DocxStyles::resolveParagraph(std::string_view styleId) {
    const std::string id(styleId.empty() || !styles_.contains(std::string(styleId)) ? defaultParagraphStyle_ : styleId);
    if (const auto found = resolvedParagraphs_.find(id); found != resolvedParagraphs_.end()) return found->second;
    ResolvedParagraph resolved = defaults_;
    forEachInChain(id, [&](const Style& style) {
        applyParagraph(*stylesPart_, stylesPart_->child(style.node, Ns::W, "pPr"), resolved.para);
        applyRun(*stylesPart_, stylesPart_->child(style.node, Ns::W, "rPr"), resolved.run);
    });
    if (const auto own = styles_.find(id); own != styles_.end()) {
        const StyleMeaning meaning = styleMeaning(own->second.name);
        if (meaning.headingLevel > 0) resolved.para.format.headingLevel = meaning.headingLevel;
        resolved.para.format.role = meaning.role;
    }
    return resolvedParagraphs_.emplace(id, std::move(resolved)).first->second;
}

const ParaProps& DocxStyles::paragraphStyle(std::string_view styleId) { return resolveParagraph(styleId).para; }

const RunProps& DocxStyles::runStyle(std::string_view paragraphStyleId, std::string_view characterStyleId) {
    if (characterStyleId.empty()) return resolveParagraph(paragraphStyleId).run;
    std::string key(paragraphStyleId);
    key += '\n';
    key += characterStyleId;
    if (const auto found = resolvedRuns_.find(key); found != resolvedRuns_.end()) return found->second;
    RunProps run = resolveParagraph(paragraphStyleId).run;
    forEachInChain(characterStyleId, [&](const Style& style) {
        applyRun(*stylesPart_, stylesPart_->child(style.node, Ns::W, "rPr"), run);
    });
    return resolvedRuns_.emplace(std::move(key), std::move(run)).first->second;
}

TableBorders DocxStyles::tableStyleBorders(std::string_view styleId) {
    TableBorders borders;
    if (!stylesPart_) return borders;
    forEachInChain(styleId, [&](const Style& style) {
        const pugi::xml_node tblPr = stylesPart_->child(style.node, Ns::W, "tblPr");
        applyBorders(*stylesPart_, stylesPart_->child(tblPr, Ns::W, "tblBorders"), borders);
    });
    return borders;
}

void DocxStyles::applyRun(const XmlPart& part, pugi::xml_node rPr, RunProps& into) {
    CharFormat& format = into.format;
    for (pugi::xml_node property = rPr.first_child(); property; property = property.next_sibling()) {
        const std::string_view name = wordName(part, property);
        if (name.empty()) continue;
        const pugi::xml_attribute valAttribute = part.attribute(property, Ns::W, "val");
        const std::string_view val = valAttribute.value();
        const bool on = isOn(val, true);
        if (name == "b") format.bold = on;
        else if (name == "i") format.italic = on;
        else if (name == "u") format.underline = !val.empty() && val != "none";
        else if (name == "strike" || name == "dstrike") format.strike = on;
        else if (name == "caps") format.caps = on;
        else if (name == "smallCaps") format.smallCaps = on;
        else if (name == "vanish") into.hidden = on;
        else if (name == "rtl" || name == "cs") into.complexScript = on;
        else if (name == "sz") format.halfPoints = std::clamp(numberOf(val, 24), kMinHalfPoints, kMaxHalfPoints);
        else if (name == "color") format.color = colourOf(val);
        else if (name == "highlight") format.background = highlightOf(val);
        else if (name == "shd" && !part.child(rPr, Ns::W, "highlight"))
            format.background = colourOf(part.attribute(property, Ns::W, "fill").value());
        else if (name == "spacing") format.spacingTwips = twips(val);
        else if (name == "vertAlign")
            format.baseline = val == "superscript" ? Baseline::Super
                              : val == "subscript" ? Baseline::Sub
                                                   : Baseline::Normal;
        else if (name == "rFonts") applyFonts(part, property, into);
        else if (name == "lang") applyLanguages(part, property, into);
    }
}

void DocxStyles::applyParagraph(const XmlPart& part, pugi::xml_node pPr, ParaProps& into) {
    ParaFormat& format = into.format;
    for (pugi::xml_node property = pPr.first_child(); property; property = property.next_sibling()) {
        const std::string_view name = wordName(part, property);
        const std::string_view val = part.val(property);
        auto attribute = [&](std::string_view local) { return part.attribute(property, Ns::W, local); };
        if (name == "jc") {
            format.align = val == "center"                  ? Align::Center
                           : val == "right" || val == "end" ? Align::Right
                           : val == "both" || val == "distribute" || val.ends_with("Kashida") ? Align::Justify
                                                                                              : Align::Left;
        } else if (name == "ind") {
            for (std::string_view side : {"left", "start"})
                if (attribute(side)) format.leftIndent = twips(attribute(side).value());
            for (std::string_view side : {"right", "end"})
                if (attribute(side)) format.rightIndent = twips(attribute(side).value());
            if (attribute("hanging")) format.firstIndent = -twips(attribute("hanging").value());
            if (attribute("firstLine")) format.firstIndent = twips(attribute("firstLine").value());
        } else if (name == "spacing") {
            if (attribute("before")) format.spaceBefore = twips(attribute("before").value());
            if (attribute("after")) format.spaceAfter = twips(attribute("after").value());
            if (attribute("line")) applyLineSpacing(attribute("lineRule").value(), attribute("line").value(), format);
        } else if (name == "bidi") {
            format.rightToLeft = isOn(val, true);
        } else if (name == "shd") {
            format.background = colourOf(attribute("fill").value());
        } else if (name == "outlineLvl") {
            const int level = numberOf(val, 9);
            format.headingLevel = level >= 0 && level < 9 ? std::min(level + 1, 6) : 0;
        } else if (name == "pageBreakBefore") {
            format.pageBreakBefore = isOn(val, true);
        } else if (name == "numPr") {
            if (pugi::xml_node level = part.child(property, Ns::W, "ilvl"))
                into.level = std::clamp(numberOf(part.val(level)), 0, 8);
            if (pugi::xml_node id = part.child(property, Ns::W, "numId"))
                into.numId = std::max(numberOf(part.val(id)), 0);
        }
    }
}

void DocxStyles::applyBorders(const XmlPart& part, pugi::xml_node borders, TableBorders& into) const {
    static const std::pair<std::string_view, TableSide> sides[] = {
        {"top", kTableTop},   {"right", kTableRight}, {"end", kTableRight},       {"bottom", kTableBottom},
        {"left", kTableLeft}, {"start", kTableLeft},  {"insideH", kInsideH}, {"insideV", kInsideV}};
    for (pugi::xml_node edge = borders.first_child(); edge; edge = edge.next_sibling()) {
        const std::string_view name = wordName(part, edge);
        for (const auto& [sideName, side] : sides) {
            if (name != sideName) continue;
            Border border;
            border.style = borderStyleOf(part.val(edge));
            // Widths are in eighths of a point.
            border.widthTwips =
                std::clamp(numberOf(part.attribute(edge, Ns::W, "sz").value()) * 5 / 2, 0, kMaxBorderTwips);
            border.color = colourOf(part.attribute(edge, Ns::W, "color").value());
            if (border.style == Border::Style::None) border = Border{};
            into[side] = border;
        }
    }
}

void DocxStyles::applyFonts(const XmlPart& part, pugi::xml_node rFonts, RunProps& into) {
    auto font = [&](std::string_view plain, std::string_view themed) {
        if (pugi::xml_attribute theme = part.attribute(rFonts, Ns::W, themed)) {
            const auto found = themeFonts_.find(std::string_view(theme.value()));
            if (found != themeFonts_.end() && !found->second.empty()) return fontIndex(found->second);
        }
        pugi::xml_attribute named = part.attribute(rFonts, Ns::W, plain);
        return named ? fontIndex(named.value()) : -2;
    };
    const std::pair<Script, int> chosen[] = {
        {kLatin, font("ascii", "asciiTheme")}, {kEastAsian, font("eastAsia", "eastAsiaTheme")},
        {kComplex, font("cs", "cstheme")}};
    for (const auto& [script, index] : chosen) {
        if (index != -2) into.fonts[script] = index;
    }
    if (into.fonts[kLatin] < 0) {
        const int hAnsi = font("hAnsi", "hAnsiTheme");
        if (hAnsi >= 0) into.fonts[kLatin] = hAnsi;
    }
}

void DocxStyles::applyLanguages(const XmlPart& part, pugi::xml_node lang, RunProps& into) {
    const std::pair<Script, std::string_view> attributes[] = {
        {kLatin, "val"}, {kEastAsian, "eastAsia"}, {kComplex, "bidi"}};
    for (const auto& [script, name] : attributes) {
        const std::string_view tag = part.attribute(lang, Ns::W, name).value();
        // Word's "x-none" is its way of saying no language: the run keeps
        // the language it had.
        if (!tag.empty() && tag != "x-none") into.languages[script] = languageIndex(tag);
    }
}

Rgb colourOf(std::string_view value) {
    if (value.size() != 6 || value == "auto") return kAutoColor;
    Rgb rgb = 0;
    for (char c : value) {
        const int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                          : std::isxdigit(static_cast<unsigned char>(c))
                              ? std::tolower(static_cast<unsigned char>(c)) - 'a' + 10
                              : -1;
        if (digit < 0) return kAutoColor;
        rgb = rgb << 4 | digit;
    }
    return rgb;
}

void appendPictureFontText(TextDecoder& decoder, int codePage, std::string_view utf8, std::string& out) {
    for (std::size_t at = 0; at < utf8.size();) {
        const quillary::utf8::Decoded decoded = quillary::utf8::decodeAt(utf8, at);
        const std::size_t length = std::max<std::size_t>(decoded.length, 1);
        const char32_t cp = decoded.codePoint;
        // Word writes a picture font's characters as U+F0xx, xx being the
        // font's own byte; older writers put the byte as a Latin-1 character.
        if (decoded.length > 0 && ((cp >= 0xF020 && cp <= 0xF0FF) || (cp >= 0x20 && cp <= 0xFF))) {
            const char byte = static_cast<char>(cp & 0xFF);
            decoder.decode(codePage, std::string_view(&byte, 1), out);
        } else {
            out.append(utf8.substr(at, length));
        }
        at += length;
    }
}

int DocxStyles::fontIndex(std::string_view name) {
    if (name.empty()) return -1;
    const auto [found, added] = fontIndices_.try_emplace(std::string(name), static_cast<int>(document_.fonts.size()));
    if (added) {
        document_.fonts.emplace_back(name);
        if (const int codePage = pictureFontCodePage(name)) pictureCodePages_[found->second] = codePage;
    }
    return found->second;
}

int DocxStyles::languageIndex(std::string_view tag) {
    const auto [found, added] =
        languageIndices_.try_emplace(std::string(tag), static_cast<int>(document_.languages.size()));
    if (added) document_.languages.emplace_back(tag);
    return found->second;
}

int DocxStyles::pictureCodePage(int font) const {
    const auto found = pictureCodePages_.find(font);
    return found == pictureCodePages_.end() ? 0 : found->second;
}

}  // namespace conv
