#pragma once
// The decisions that cut the body into section files, shared by the marks
// pass and the sections pass so that a mark always maps to the section file
// that really holds its text: both passes read the same logical lines and
// ask the same tracker whether a directive line ends a written section.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quillary::epub {

// Reads the body of the converted HTML, one logical line at a time: the
// lines after the one holding "<body>", with unfinished lines and soft line
// breaks joined, up to the first line holding "</body>".
class BodyReader {
public:
    // `onRead` (may be empty) is called once per raw line read in the body.
    explicit BodyReader(const std::vector<std::string>& lines, std::function<void()> onRead = {});

    // Skips the head: stops after the line holding "<body>", or two lines
    // before the end when there is none.
    void findBody();

    // The next logical line into `line`; false at the end of the body.
    bool next(std::string& line);

    // The index of the next raw line to read.
    std::int64_t position() const { return position_; }
    // Passes over `count` raw lines that a note took in.
    void skip(std::size_t count) { position_ += static_cast<std::int64_t>(count); }

private:
    bool readRaw(std::string& into);
    bool hasRaw() const;
    const std::string& peekRaw() const;
    void joinUnfinished(std::string& line);
    void joinSoftBreaks(std::string& line);

    const std::vector<std::string>& lines_;
    std::int64_t position_ = 0;
    std::function<void()> onRead_;
    bool ended_ = false;
};

// Follows which sections get written. Feed it every ordinary line with
// addText and every directive line with closeSection, in reading order.
class SectionTracker {
public:
    void addText(std::string_view logicalLine);

    // At a directive line: true when the section being filled is written
    // (it then has the number sectionToWrite() had before the call); false
    // when it is empty or holds nothing but one empty paragraph, which is
    // dropped.
    bool closeSection();

    // True when the section being filled would be written at the end of
    // the body.
    bool hasText() const { return lineCount_ > 0; }

    // The number of the next section file to be written: the file that will
    // hold the text read from now on.
    std::int32_t sectionToWrite() const { return nextSection_; }

private:
    std::int32_t nextSection_ = 1;
    std::int64_t lineCount_ = 0;
    bool onlyEmptyParagraph_ = false;
};

// A paragraph that shows nothing: it holds ">&nbsp;<" (or ">&#160;<"), no line end, no text
// once tags and no-break spaces are gone, and no image or other element that
// shows something without text.
bool isEmptyParagraph(std::string_view line);

// True for "bookmark:" and "srh:" lines (any case): the headings that make marks.
bool isMarkLine(std::string_view line);

// True for a section-break line that names nothing: "#######" and none of
// the colon directives.
bool isPlainBreak(std::string_view line);

bool isRightToLeft(std::string_view line);

// The text of a heading line that names the section: before the directive
// word in a right-to-left line (after it when nothing stands before it),
// else after the first ":" outside the tags.
std::string_view headingText(std::string_view line);

// The name a heading line gives: the plain text of its heading text.
std::string headingName(std::string_view line);

}  // namespace quillary::epub
