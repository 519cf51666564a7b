#pragma once
// The private folder a build assembles its package in, and the one way the
// build writes into it.

#include <optional>
#include <string>
#include <string_view>

#include "platform/FileWriter.h"

namespace quillary::package {

// Makes a new private folder (mode 0700, unique name) under `tempParent`,
// or under $TMPDIR (else /tmp) when that is empty, with the folder "epub"
// inside it; returns the path of ".../epub", or nullopt when either could
// not be made. The folder records the running process as its owner; private
// folders that earlier builds left there and whose owners are gone (a build
// that was killed) are removed first.
std::optional<std::string> makeBuildFolder(const std::string& tempParent);

// Removes the private folder around a path that makeBuildFolder returned,
// with everything in it. Any other path is left alone, so a damaged or
// foreign value can never make the build delete the author's files.
// Returns true when nothing of the folder remains.
bool removeBuildFolder(const std::string& epubFolder);

// Every file of the package goes into the build folder through here. The
// first failure is kept and ends the build: the passes go on to their end,
// but no archive is made of a package that is not whole. Pages, the
// package document and the NCX are checked as they are written, because a
// reading system refuses the whole book at the first one that is not
// well-formed XML. One build's background step at a time.
class BuildWrites {
public:
    // Writes straight to the file system, for passes run on their own.
    BuildWrites() = default;
    // Writes through `writer` into `folder`; the writer outlives this object.
    BuildWrites(FileWriter& writer, std::string folder)
        : writer_(&writer), folder_(std::move(folder)) {}

    void write(const std::string& path, std::string_view content);
    // Copies the file `from` (outside the build folder) to `path`. False when
    // `from` could not be read: the caller decides whether that is the
    // author's missing file or the build's failure. A failed write is the
    // build's.
    bool copy(const std::string& from, const std::string& path);
    // A resource of the program that the build needs: its content, or
    // nullopt, with the failure saying which file was missing where.
    std::optional<std::string> resource(const std::string& resourcesFolder, const std::string& name);
    // Ends the build for a reason of the caller's.
    void fail(std::string reason);

    // What went wrong first, naming the file: "OEBPS/section3.xhtml could
    // not be written (No space left on device)"; nullopt while all is well.
    const std::optional<std::string>& failure() const { return failure_; }

private:
    std::string nameInFolder(const std::string& path) const;

    FileWriter* writer_ = nullptr;
    std::string folder_;
    std::optional<std::string> failure_;
};

}  // namespace quillary::package
