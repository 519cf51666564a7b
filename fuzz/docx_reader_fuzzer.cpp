// libFuzzer target for the .docx reader: a package, or its parts as text
// (DocxOracle.h), through the reader and the HTML writer. A finding is a
// crash, a sanitizer report, a hang, memory out of proportion, or a fault
// the oracle names.

#include "DocxOracle.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    if (const std::optional<std::string> fault = conv::fuzzing::docxReadingFault(input)) {
        std::fprintf(stderr, "%s\n", fault->c_str());
        std::abort();
    }
    return 0;
}
