#include "converter/CssRules.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace conv {

namespace {

constexpr double kTwipsPerPixel = 20.0;

// Browsers draw a line about 1.15 times the font size high; an empty
// paragraph keeps that height so blank lines of the manuscript survive.
constexpr double kLineHeightFactor = 1.15;

void appendColor(std::string& out, Rgb color) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "#%06x", static_cast<unsigned>(color == kAutoColor ? 0 : color) & 0xFFFFFFu);
    out += buffer;
}

void appendDeclaration(std::string& out, std::string_view declaration) {
    if (!out.empty()) out += "; ";
    out += declaration;
}

double fontPixels(const CharFormat& format) { return format.halfPoints / 2.0; }

// Font names come from the manuscript; only characters that cannot end the
// value, the rule or the style element are kept.
std::string cleanFontName(std::string_view name) {
    std::string clean;
    for (char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || std::string_view("'\";{}<>&\\").find(c) != std::string_view::npos)
            continue;
        clean += c;
    }
    return clean;
}

std::string_view borderStyleName(Border::Style style) {
    switch (style) {
    case Border::Style::Solid: return "solid";
    case Border::Style::Double: return "double";
    case Border::Style::Dotted: return "dotted";
    case Border::Style::Dashed: return "dashed";
    case Border::Style::None: break;
    }
    return "none";
}

}  // namespace

void appendPixels(std::string& out, double pixels) {
    // Integer tenths: printf's float formatting dominated the writer's time.
    long tenths = std::lround(pixels * 10.0);
    if (tenths < 0) {
        out += '-';
        tenths = -tenths;
    }
    out += std::to_string(tenths / 10);
    out += '.';
    out += static_cast<char>('0' + tenths % 10);
    out += "px";
}

std::string fontValue(const CharFormat& format, const std::vector<std::string>& fonts) {
    std::string value;
    appendPixels(value, fontPixels(format));
    std::string name;
    if (format.font >= 0 && static_cast<std::size_t>(format.font) < fonts.size())
        name = cleanFontName(fonts[static_cast<std::size_t>(format.font)]);
    if (name.empty()) name = "Times";
    bool plain = true;
    for (char c : name) {
        plain = plain && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-');
    }
    value += ' ';
    value += plain ? name : "'" + name + "'";
    return value;
}

std::string paragraphDeclarations(const ParaFormat& para, const CharFormat& base,
                                  const std::vector<std::string>& fonts, bool empty) {
    std::string out = "margin: ";
    appendPixels(out, para.spaceBefore / kTwipsPerPixel);
    out += ' ';
    appendPixels(out, para.rightIndent / kTwipsPerPixel);
    out += ' ';
    appendPixels(out, para.spaceAfter / kTwipsPerPixel);
    out += ' ';
    appendPixels(out, para.leftIndent / kTwipsPerPixel);
    if (para.align == Align::Center) out += "; text-align: center";
    if (para.align == Align::Right) out += "; text-align: right";
    if (para.align == Align::Justify) out += "; text-align: justify";
    if (para.firstIndent != 0) {
        out += "; text-indent: ";
        appendPixels(out, para.firstIndent / kTwipsPerPixel);
    }
    if (para.lineSpacing != 0) {
        out += "; line-height: ";
        double lines = std::abs(para.lineSpacing) / 240.0;  // \slmult counts 240ths of a line
        appendPixels(out, para.lineMultiple ? lines * fontPixels(base) * kLineHeightFactor
                                            : std::abs(para.lineSpacing) / kTwipsPerPixel);
    }
    out += "; font: ";
    out += fontValue(base, fonts);
    if (base.spacingTwips != 0) {
        out += "; letter-spacing: ";
        appendPixels(out, base.spacingTwips / kTwipsPerPixel);
    }
    out += "; color: ";
    appendColor(out, base.color);
    if (para.background != kAutoColor) {
        out += "; background-color: ";
        appendColor(out, para.background);
    }
    if (empty) {
        out += "; min-height: ";
        appendPixels(out, std::round(fontPixels(base) * kLineHeightFactor));
    }
    return out;
}

std::string cellDeclarations(const Cell& cell) {
    std::string out;
    if (cell.widthTwips > 0) {
        out = "width: ";
        appendPixels(out, cell.widthTwips / kTwipsPerPixel);
        out += "; ";
    }
    bool ruled = std::any_of(cell.borders.begin(), cell.borders.end(),
                             [](const Border& border) { return border.style != Border::Style::None; });
    if (ruled) {
        std::string styles = "border-style:", widths = "; border-width:", colors = "; border-color:";
        for (const Border& border : cell.borders) {
            styles += ' ';
            styles += borderStyleName(border.style);
            widths += ' ';
            // Thinner than a pixel, a rule vanishes on many reading systems.
            appendPixels(widths, border.style == Border::Style::None
                                     ? 0.0
                                     : std::max(border.widthTwips / kTwipsPerPixel, 1.0));
            colors += ' ';
            appendColor(colors, border.color);
        }
        out += styles + widths + colors + "; ";
    }
    out += "padding: 0.0px 5.0px 0.0px 5.0px";
    return out;
}

std::string spanDeclarations(const CharFormat& run, const CharFormat& base, const std::vector<std::string>& fonts) {
    std::string out;
    if (run.font != base.font || run.halfPoints != base.halfPoints)
        appendDeclaration(out, "font: " + fontValue(run, fonts));
    if (run.underline && run.strike) appendDeclaration(out, "text-decoration: underline line-through");
    else if (run.underline) appendDeclaration(out, "text-decoration: underline");
    else if (run.strike) appendDeclaration(out, "text-decoration: line-through");
    if (run.color != base.color) {
        appendDeclaration(out, "color: ");
        appendColor(out, run.color);
    }
    if (run.background != kAutoColor) {
        appendDeclaration(out, "background-color: ");
        appendColor(out, run.background);
    }
    if (run.spacingTwips != base.spacingTwips) {
        appendDeclaration(out, "letter-spacing: ");
        appendPixels(out, run.spacingTwips / kTwipsPerPixel);
    }
    if (run.baseline == Baseline::Super) appendDeclaration(out, "vertical-align: super");
    if (run.baseline == Baseline::Sub) appendDeclaration(out, "vertical-align: sub");
    if (run.caps) appendDeclaration(out, "text-transform: uppercase");
    if (run.smallCaps) appendDeclaration(out, "font-variant: small-caps");
    return out;
}

// A heading's rule is keyed by its element and its declarations, a line end
// between them: declarations never hold one.
int CssClasses::classFor(Kind kind, const std::string& declarations, std::string_view element) {
    Rules& rules = rules_[kind];
    std::string key = element.empty() ? declarations : std::string(element) + '\n' + declarations;
    auto [entry, added] = rules.numbers.try_emplace(std::move(key), static_cast<int>(rules.inOrder.size()) + 1);
    if (added) rules.inOrder.push_back(&entry->first);  // node keys keep their address
    return entry->second;
}

std::string_view CssClasses::prefix(Kind kind) {
    static constexpr std::string_view prefixes[kKindCount] = {"p", "li", "s", "t", "td", "ul", "ol", "h"};
    return prefixes[kind];
}

void CssClasses::writeRules(std::string& out) const {
    static constexpr std::string_view elements[kKindCount] = {"p", "li", "span", "table", "td", "ul", "ol", ""};
    for (int kind = 0; kind < kKindCount; ++kind) {
        const Rules& rules = rules_[kind];
        for (std::size_t i = 0; i < rules.inOrder.size(); ++i) {
            std::string_view element = elements[kind];
            std::string_view declarations = *rules.inOrder[i];
            if (element.empty()) {
                std::size_t end = declarations.find('\n');
                element = declarations.substr(0, end);
                declarations.remove_prefix(end + 1);
            }
            out += element;
            out += '.';
            out += prefix(static_cast<Kind>(kind));
            out += std::to_string(i + 1);
            out += " {";
            out += declarations;
            out += "}\n";
        }
    }
}

}  // namespace conv
