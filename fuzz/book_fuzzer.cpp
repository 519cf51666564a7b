// libFuzzer target for the whole build: any bytes as an RTF manuscript,
// through the reader, the normalisation and the EPUB passes to a book in
// EPUB 3 and EPUB 2. A finding is a crash, a sanitizer report, a hang, or a
// page, package document or NCX of the book that is not well-formed XML.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "BookOracle.h"
#include "app/BuildResources.h"

namespace {

// The templates of the source tree, unless QUILLARY_RESOURCES names others;
// read once, before the first input.
const quillary::epub::Templates& templates(bool epub3) {
    static const auto load = [](bool version3) {
        const char* set = std::getenv("QUILLARY_RESOURCES");
        auto loaded = quillary::app::loadTemplates(set ? set : QUILLARY_TEMPLATES, version3);
        if (!loaded) {
            std::fprintf(stderr, "%s\n", loaded.reason().c_str());
            std::abort();
        }
        return *loaded;
    };
    static const quillary::epub::Templates epub2 = load(false), epub3Templates = load(true);
    return epub3 ? epub3Templates : epub2;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view manuscript(reinterpret_cast<const char*>(data), size);
    if (const auto problem = quillary::fuzzing::illFormedDocument(manuscript, templates(false), templates(true))) {
        std::fprintf(stderr, "ill-formed book: %s\n", problem->c_str());
        std::abort();
    }
    return 0;
}
