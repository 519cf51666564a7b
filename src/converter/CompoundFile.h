#pragma once
// Reading one stream out of an OLE2 compound file, the container of Word's
// .doc format, without any library: enough to tell a Word document from
// another compound file (a spreadsheet, a mail) and to read its header.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace conv {

// Whether the content starts with the compound file's signature.
bool isCompoundFile(std::string_view content);

// The first `count` bytes (fewer when the stream is shorter) of the stream
// called `name` (ASCII) directly inside the file's root storage; nothing when
// the content is no compound file, has no such stream, or its tables are
// damaged. Works on a file of any size in time linear in it.
std::optional<std::string> readRootStream(std::string_view content, std::string_view name, std::size_t count);

}  // namespace conv
