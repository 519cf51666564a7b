#pragma once
// The private folder the Kindle step hands its package to the converter in.

#include <optional>
#include <string>

namespace quillary::kindle {

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

}  // namespace quillary::kindle
