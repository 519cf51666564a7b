#pragma once
// Chapters and pages from the manuscript's heading styles and page breaks. An author who never typed a
// "bookmark:" line but gave the chapters a heading style still means them as
// chapters: each heading of the highest level used opens a section, exactly
// as a "bookmark:" line with its text before it would, and the level below
// it gives entries nested under that chapter's.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "book/BuildResult.h"

namespace quillary::epub {

// The heading level (1 to 6) of a line that opens with <h1>...<h6>; 0 for
// every other line.
int headingLevel(std::string_view line);

struct HeadingChapters {
    ChapterSource source = ChapterSource::None;
    int chapterLevel = 0;  // the level that opens sections; 0: none
    int entryLevel = 0;    // the level below it that gets nested entries; 0: none
};

// How the body's chapters come about: from its "bookmark:" (or "srh:")
// lines when it holds any, else from its headings when it has some.
HeadingChapters chaptersOf(const std::vector<std::string>& lines);

// The lines with the section lines the manuscript's structure stands for:
// with chapters from headings, a "bookmark:" line before every heading of
// the chapter level, named by the heading's text (its notes left out); and
// a "#######" line before every other paragraph, heading, list or table
// that comes after a page break; every line whose directive only its text
// shows as directiveOnText gives it. nullopt when there is nothing to add, so
// the lines stand as they are.
std::optional<std::vector<std::string>> withSectionLines(const std::vector<std::string>& lines,
                                                         const HeadingChapters& chapters);

// A line whose text holds a directive word although its markup does not
// (the word in a run of its own, a direction mark before the colon) as a
// line today's rule reads: its first tag, its plain text, the tag's end.
// The colon directives count anywhere in the text, "audio:" and "video:"
// only where the text begins. nullopt for every other line, and for a line
// the rule already reads.
std::optional<std::string> directiveOnText(std::string_view line);

// The name a heading's contents entry gets: its plain text without notes.
std::string headingEntryName(std::string_view line);

}  // namespace quillary::epub
