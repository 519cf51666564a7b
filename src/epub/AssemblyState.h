#pragma once
// The working values of one assembly, shared by its passes (marks,
// sections, media, notes), which are defined one file per area.

#include <atomic>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "epub/Assembly.h"

namespace quillary::package {

class Assembly {
public:
    // Ready for the passes: the facts, the cover page and the section template set.
    Assembly(const AssemblyInput& input, Problems& problems);
    // Runs the passes; the model is the caller's, and the assembly is spent.
    PackageModel run();

    // ---- Input -----------------------------------------------------------------
    const AssemblyInput& input;
    const bool epub3;
    Problems& problems;

    // ---- What the book becomes -----------------------------------------------
    PackageModel model;
    std::vector<std::string> imageNames;  // the images the pages show; first the cover
    std::vector<std::string> mediaNames;

    // ---- Where the passes stand ------------------------------------------------
    std::atomic<std::int64_t> position{0};  // the next raw line
    std::string line;                       // the logical line being worked on
    std::string pageText;                   // the section being filled
    std::int32_t sectionNumber = 1;         // the section being filled
    std::int32_t navPoint = 1;              // the next contents entry's number
    std::string endnotes;                   // the entries of the notes so far
    std::int32_t noteNumber = 1;            // the next note's; 0 once the notes page is made
    std::map<std::string, std::string> marks;  // mark name -> "sectionN.xhtml"
    bool rightToLeftMarksSeen = false;
    std::string pendingName;  // the name the section being filled gets
    bool startPlaced = false;
    int headingEntries = 0;   // contents entries of the manuscript's named headings
    std::string endnotesTitle;

    // ---- The passes (one file each) ------------------------------------------
    void marksPass();
    void sectionsPass();
    void resolveCrossReferences();  // rewrites `line`
    void mediaDirective();          // rewrites `line`
    void imageDirective(const std::optional<std::string>& alternative);  // rewrites `line`
    void insertImages();
    void makeNotes();               // rewrites `line`
    void insertEpubEndnotes(const std::string& title);
    // Writes the section being filled into the model.
    void writeSection();
    // Puts a page or file into the model.
    void add(std::vector<PackageFile>& into, PackageFile file);

private:
    void setUp();
    void finish();
};

}  // namespace quillary::package
