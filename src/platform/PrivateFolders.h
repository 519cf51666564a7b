#pragma once
// Private working folders in the shared temporary folder. Each is named with
// a prefix that marks it as ours and holds a file naming the process that
// owns it, so that a later run removes the folders of a run that was killed
// before it could remove them itself.

#include <optional>
#include <string>
#include <string_view>

namespace quillary::privatefolders {

// Makes a new folder (mode 0700, `prefix` and six random characters) under
// `base`, or under $TMPDIR (else /tmp) when that is empty, holding the file
// "owner" with the running process's id, and registers it with the signal
// clean-up. First removes the folders of the same prefix there that belong
// to this user and whose owner is known and no longer runs; a folder without
// a readable owner file may belong to a run that is just starting, and one
// whose owner cannot be signalled to another user's process, so both stay.
// The owner file is read only when it is a small regular file of this user
// inside its folder: anyone may plant a pipe or a link to /dev/zero in the
// temporary folder. nullopt when no folder could be made.
std::optional<std::string> make(const std::string& base, std::string_view prefix);

// Removes a folder that make() returned for `prefix`, with everything in it,
// and forgets it. Any other path is left alone, so that a damaged value can
// never remove the author's files. True when nothing of it remains.
bool remove(const std::string& folder, std::string_view prefix);

}  // namespace quillary::privatefolders
