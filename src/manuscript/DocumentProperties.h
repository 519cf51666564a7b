#pragma once
// The document's properties as the converter states them in the head of its
// HTML.

#include <string_view>

#include "book/BuildResult.h"

namespace quillary::manuscript {

// The <title> and the <meta name="author|subject|keywords|publisher|
// language" content="..."> lines of the converted HTML's head, their
// entities (&amp; &lt; &gt; &quot;) read back to text. Only the head is
// read: the same words in the manuscript's text are not its properties.
DocumentProperties documentProperties(std::string_view html);

}  // namespace quillary::manuscript
