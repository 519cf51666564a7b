#pragma once
// The lists of a WordprocessingML document: the numbering definitions, and
// the counters that give each list paragraph the bullet or number it shows.
// Internal to the .docx reader.

#include "converter/DocxStyles.h"
#include "converter/XmlPart.h"

#include <array>
#include <map>
#include <optional>
#include <string>

namespace conv {

class TextDecoder;

class DocxNumbering {
public:
    void read(std::optional<XmlPart> numbering);

    // The paragraph properties (indents) the level gives its paragraphs.
    void applyLevel(int numId, int level, DocxStyles& styles, ParaProps& into) const;

    // The mark of the next paragraph of that list at that level, with what
    // follows it (a tab, a blank or nothing); counting it moves the list
    // on. "" for a list or level the document does not define.
    std::string nextMark(int numId, int level, TextDecoder& decoder);

private:
    static constexpr int kLevels = 9;
    struct Level {
        bool defined = false;
        int start = 1;
        int restartAfter = -1;  // -1: after any level above; 0: never; n: after level n (1-based) or above
        bool legal = false;     // the numbers of higher levels as decimals
        std::string format = "decimal";
        std::string text;
        std::string suffix = "\t";
        int pictureCodePage = 0;
        pugi::xml_node pPr;
    };
    struct Definition {
        std::array<Level, kLevels> levels;
        std::array<int, kLevels> counters{};
        std::array<bool, kLevels> counted{};
    };
    struct Instance {
        int definition = -1;
        std::array<std::optional<int>, kLevels> startOverrides;
        std::array<std::optional<Level>, kLevels> levelOverrides;
        bool used = false;
    };

    Level readLevel(pugi::xml_node lvl) const;
    const Level* levelOf(const Instance& instance, int level) const;
    std::string numberText(const Level& level, int value, bool legal) const;

    std::optional<XmlPart> part_;
    std::map<int, Definition> definitions_;
    std::map<int, Instance> instances_;
};

}  // namespace conv
