#pragma once
// Books made with a Kindle file, by converter scripts of the test's own making.

#include <string>

#include "platform/Files.h"
#include "platform/Paths.h"
#include "support/EpubInspector.h"
#include "support/Harness.h"

namespace quillary::testing {

inline std::vector<std::string> alertKeys(const FakeWindow& window) {
    std::vector<std::string> keys;
    for (const Alert& alert : window.alerts) keys.push_back(alert.titleKey);
    return keys;
}

// A converter script that prints `banner`, keeps a copy of the package it is
// given as `received` and writes `mobi` as its second argument or, without
// one, beside its input under the input's name with ".mobi"; without `mobi`
// it fails.
inline std::string installConverterScript(const std::string& path, const std::string& banner,
                                          const std::string& received, const std::string& mobi) {
    EXPECT_TRUE(files::makeFolders(paths::deletingLastComponent(path)));
    EXPECT_TRUE(files::writeFileAtomically(path, "#!/bin/sh\necho '" + banner +
                                                     "'\n[ $# -eq 0 ] && exit 0\n"
                                                     "cp \"$1\" '" +
                                                     received +
                                                     "'\n"
                                                     "out=\"${2:-${1%.epub}.mobi}\"\n"
                                                     "[ -f '" +
                                                     mobi +
                                                     "' ] || { echo 'Error: conversion failed'; exit 2; }\n"
                                                     "cp '" +
                                                     mobi + "' \"$out\"\n"));
    EXPECT_TRUE(files::setPermissions(path, 0755));
    return path;
}

// What a Kindle file begins with, then `rest`.
inline std::string kindleBytes(const std::string& rest) { return std::string(60, '\0') + "BOOKMOBI" + rest; }

// A manuscript with a list, made into an EPUB 2 and a Kindle file.
struct KindleBook : BookBuild {
    std::string name;
    std::string destination = folder.makeFolder("books");
    std::string receivedPackage = folder.file("received.epub");  // the converter's copy of its input

    explicit KindleBook(std::string bookName = "My Book") : BookBuild(false), name(std::move(bookName)) {
        folder.write("manuscript/cover.jpg", kJpegBytes);
        shell.answer("-info", std::string("  Type:  rich text\n"));
        shell.answer("-convert html", std::string("<html>\n<body>\n<ul class=\"ul1\">\n"
                                                  "<li class=\"li1\">&#8226; one</li>\n</ul>\n</body>\n</html>\n"));
        shell.passThrough = true;
    }

    BuildResult build() {
        return BookBuild::build({.manuscript = folder.file("manuscript/Tale.rtf"),
                                 .manuscriptFolder = folder.file("manuscript"),
                                 .destinationFolder = destination,
                                 .bookName = name,
                                 .bookInfo = {"Tale", "", "", "", "2024-05-17", "", "", "0"},
                                 .epub3 = false,
                                 .kindle = true});
    }
    std::string kindleFile() const { return paths::join(destination, name + ".mobi"); }
    // What the next conversion writes; without it the converter fails.
    void nextMobi(const std::string& content) { folder.write("next.mobi", content); }

    void useKindlegen(const std::string& banner = "Amazon kindlegen(Linux) V2.9 build 1028") {
        const std::string path = app::kindlegenPathIn(folder.dataHome());
        installConverterScript(path, banner, receivedPackage, folder.file("next.mobi"));
        kindleConverter = kindle::Converter{kindle::ConverterKind::kindlegen, path};
    }
    void useEbookConvert() {
        installConverterScript(folder.file("bin/ebook-convert"), "ebook-convert (calibre 7.0)", receivedPackage,
                               folder.file("next.mobi"));
        kindleConverter = kindle::Converter{kindle::ConverterKind::ebookConvert, folder.file("bin/ebook-convert")};
    }
};

}  // namespace quillary::testing
