#pragma once
// The author's media files beside the manuscript.

#include <optional>
#include <string>

namespace quillary::media {

// The file that is the book's cover: the first regular file of `folder`, in
// listing order, with the extension "png" or "jpg" (exact) whose name begins
// with "cover." in any case; nullopt when there is none.
std::optional<std::string> coverFileIn(const std::string& folder);

}  // namespace quillary::media
