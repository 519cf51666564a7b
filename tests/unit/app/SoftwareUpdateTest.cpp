#include <gtest/gtest.h>

#include "platform/Files.h"
#include "support/Harness.h"

namespace quillary::testing {
namespace {

TEST(SoftwareUpdate, TheInstalledConverterIsKeptAcrossAnUpdateAndNothingElseIsInstalled) {
    const std::string converter = "#!/bin/sh\necho V2.9\n";
    for (const bool installed : {true, false}) {
        Harness h(false);
        h.c().applicationDidFinishLaunching();
        const std::string target = h.c().kindlegenPath();
        if (installed) {
            ASSERT_TRUE(h.c().installKindlegen(h.folder.write("Downloads/kindlegen", converter)));
        }
        // Not the author's: someone else's file under the shared temporary
        // folder's fixed name.
        h.folder.write("tmp/kindlegen", "planted");

        h.updater.update([&] { files::removeAll(target); });

        EXPECT_EQ(files::readFile(target), installed ? std::optional(converter) : std::nullopt) << installed;
        EXPECT_EQ(files::listFolder(h.folder.tempFolder()), std::vector<std::string>{"kindlegen"})
            << "nothing is left behind";
    }
}

}  // namespace
}  // namespace quillary::testing
