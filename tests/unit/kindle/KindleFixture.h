#pragma once
// A finished EPUB package laid out by hand in the temporary folder, and
// converter scripts of the test's own making, for the Kindle step.

#include <string>

#include "platform/Files.h"
#include "platform/Paths.h"
#include "support/Harness.h"
#include "support/EpubInspector.h"

namespace quillary::testing {

// A package document with a cover page, as a build writes it.
inline std::string packageDocument() {
    return files::readFile(suiteSetting("QUILLARY_FIXTURES") + "/kindle/content.opf").value();
}

inline std::vector<std::string> alertKeys(const FakeWindow& window) {
    std::vector<std::string> keys;
    for (const Alert& alert : window.alerts) keys.push_back(alert.titleKey);
    return keys;
}

struct KindleBook {
    Harness h{false};
    std::string packageFolder = h.folder.makeFolder("build/epub");
    std::string destination = h.folder.makeFolder("books");
    std::string receivedPackage = h.folder.file("received.epub");  // the fake converter's copy of its input

    explicit KindleBook(const std::string& name = "My Book") {
        h.folder.write("build/epub/mimetype", "application/epub+zip");
        h.folder.write("build/epub/META-INF/container.xml", "<container/>\n");
        h.folder.write("build/epub/OEBPS/content.opf", packageDocument());
        h.folder.write("build/epub/OEBPS/cover.xhtml", "<html>cover</html>\n");
        h.folder.write("build/epub/OEBPS/section1.xhtml", "<html><ul class=\"ul1\">\n<li class=\"li1\">&#8226; one</li>\n</ul></html>\n");
        h.folder.write("build/epub/OEBPS/images/cover.jpg", "JPEG");
        h.shell.passThrough = true;
        h.preferences.setBool(prefs::kBuildKindle, true);
        h.preferences.setBool(prefs::kEpub3, false);
        h.c().tempDirectoryPath = packageFolder;
        h.c().saveName = name;
        h.c().saveRoot = destination;
    }

    std::string kindleFile() const { return paths::join(destination, h.controller->saveName + ".mobi"); }
    // What the next conversion writes; without it the converter fails.
    void nextMobi(const std::string& content) { h.folder.write("next.mobi", content); }

    // A converter that prints `banner`, keeps a copy of the package it is
    // given and writes next.mobi as its second argument or, without one,
    // beside its input under the input's name with ".mobi".
    std::string installKindlegen(const std::string& banner = "Amazon kindlegen(Linux) V2.9 build 1028") {
        return installScript(h.c().kindlegenPath(), banner);
    }
    std::string installEbookConvert() {
        return installScript(h.folder.file("bin/ebook-convert"), "ebook-convert (calibre 7.0)");
    }

private:
    std::string installScript(const std::string& path, const std::string& banner) {
        const std::string mobi = h.folder.file("next.mobi");
        files::makeFolders(paths::deletingLastComponent(path));
        files::writeFileAtomically(path, "#!/bin/sh\necho '" + banner + "'\n[ $# -eq 0 ] && exit 0\n"
                                         "cp \"$1\" '" + receivedPackage + "'\n"
                                         "out=\"${2:-${1%.epub}.mobi}\"\n"
                                         "[ -f '" + mobi + "' ] || { echo 'Error: conversion failed'; exit 2; }\n"
                                         "cp '" + mobi + "' \"$out\"\n");
        files::setPermissions(path, 0755);
        return path;
    }
};

}  // namespace quillary::testing
