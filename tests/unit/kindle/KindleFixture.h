#pragma once
// Books made with a Kindle file, by converter scripts of the test's own making.

#include <string>

#include "platform/Files.h"
#include "platform/Paths.h"
#include "support/Harness.h"
#include "support/EpubInspector.h"

namespace quillary::testing {

inline std::vector<std::string> alertKeys(const FakeWindow& window) {
    std::vector<std::string> keys;
    for (const Alert& alert : window.alerts) keys.push_back(alert.titleKey);
    return keys;
}

// A manuscript with a list, made into an EPUB 2 and a Kindle file by a
// converter of the test's own making.
struct KindleBook {
    Harness h{false};
    std::string name;
    std::string destination = h.folder.makeFolder("books");
    std::string receivedPackage = h.folder.file("received.epub");  // the fake converter's copy of its input

    explicit KindleBook(std::string bookName = "My Book") : name(std::move(bookName)) {
        h.c().root = h.folder.makeFolder("manuscript");
        h.c().theFile = h.c().root + "/Tale.rtf";
        h.folder.write("manuscript/cover.jpg", "JPEG");
        h.shell.answer("-info", std::string("  Type:  rich text\n"));
        h.shell.answer("-convert html", std::string("<html>\n<body>\n<ul class=\"ul1\">\n"
                                               "<li class=\"li1\">&#8226; one</li>\n</ul>\n</body>\n</html>\n"));
        h.shell.passThrough = true;
        h.preferences.setBool(prefs::kBuildKindle, true);
        h.preferences.setBool(prefs::kEpub3, false);
    }

    // Makes the books and runs every step that follows.
    void build() {
        h.c().savePanelEndedWithName(name + ".epub", destination, 1);
        h.queue.drain();
    }
    std::string kindleFile() const { return paths::join(destination, name + ".mobi"); }
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
