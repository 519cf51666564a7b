#pragma once
// A finished EPUB package laid out by hand in the temporary folder, and
// converter scripts of the test's own making, for the Kindle step.

#include <string>

#include "platform/Files.h"
#include "platform/Paths.h"
#include "support/Harness.h"

namespace quillary::testing {

inline const std::string kPackageDocument =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<package xmlns=\"http://www.idpf.org/2007/opf\" version=\"2.0\" unique-identifier=\"id\">\n"
    "<manifest>\n"
    "<item id=\"cover\" href=\"cover.xhtml\" media-type=\"application/xhtml+xml\"/>\n"
    "<item id=\"cover-image\" href=\"images/cover.jpg\" media-type=\"image/jpeg\"/>\n"
    "<item id=\"section1\" href=\"section1.xhtml\" media-type=\"application/xhtml+xml\"/>\n"
    "</manifest>\n"
    "<spine toc=\"ncx\">\n"
    "<itemref idref=\"cover\"/>\n"
    "<itemref idref=\"section1\"/>\n"
    "</spine>\n"
    "<guide>\n"
    "<reference type=\"cover\" title=\"Cover\" href=\"cover.xhtml\"/>\n"
    "</guide>\n"
    "</package>\n";

inline std::vector<std::string> alertKeys(const FakeWindow& window) {
    std::vector<std::string> keys;
    for (const Alert& alert : window.alerts) keys.push_back(alert.titleKey);
    return keys;
}

struct KindleBook {
    Harness h{false};
    std::string packageFolder;
    std::string destination;
    std::string receivedPackage;  // where the fake converter copies its input

    explicit KindleBook(const std::string& name = "My Book") {
        packageFolder = h.folder.makeFolder("build/epub");
        destination = h.folder.makeFolder("books");
        receivedPackage = h.folder.file("received.epub");
        h.folder.write("build/epub/mimetype", "application/epub+zip");
        h.folder.write("build/epub/META-INF/container.xml", "<container/>\n");
        h.folder.write("build/epub/OEBPS/content.opf", kPackageDocument);
        h.folder.write("build/epub/OEBPS/cover.xhtml", "<html>cover</html>\n");
        h.folder.write("build/epub/OEBPS/section1.xhtml", "<html>one</html>\n");
        h.folder.write("build/epub/OEBPS/images/cover.jpg", "JPEG");
        h.shell.passThrough = true;
        h.preferences.setBool(prefs::kBuildKindle, true);
        h.preferences.setBool(prefs::kEpub3, false);
        VoveZedevir& c = h.c();
        c.tempDirectoryPath = packageFolder;
        c.saveName = name;
        c.saveRoot = destination;
    }

    std::string kindleFile() const { return paths::join(destination, h.controller->saveName + ".mobi"); }

    // A kindlegen that prints `banner`, keeps a copy of the package it is
    // given and writes the contents of `mobiSource` (when it exists) beside
    // its input under the input's name with ".mobi".
    std::string installKindlegen(const std::string& banner = "Amazon kindlegen(Linux) V2.9 build 1028") {
        return installScript(h.c().kindlegenPath(), banner);
    }

    // An ebook-convert that writes its second argument the same way.
    std::string installEbookConvert() {
        return installScript(h.folder.file("bin/ebook-convert"), "ebook-convert (calibre 7.0)");
    }

    std::string mobiSource() const { return h.folder.file("next.mobi"); }

private:
    std::string installScript(const std::string& path, const std::string& banner) {
        const std::string script =
            "#!/bin/sh\n"
            "echo '" + banner + "'\n"
            "[ $# -eq 0 ] && exit 0\n"
            "cp \"$1\" '" + receivedPackage + "'\n"
            "out=\"${2:-${1%.epub}.mobi}\"\n"
            "[ -f '" + mobiSource() + "' ] || { echo 'Error: conversion failed'; exit 2; }\n"
            "cp '" + mobiSource() + "' \"$out\"\n";
        files::makeFolders(paths::deletingLastComponent(path));
        files::writeFileAtomically(path, script);
        files::setPermissions(path, 0755);
        return path;
    }
};

}  // namespace quillary::testing

#include <map>
#include <optional>
#include <zip.h>

namespace quillary::testing {

// Entry names in archive order with their contents; nullopt when the file
// is not a readable zip archive.
inline std::optional<std::vector<std::pair<std::string, std::string>>> zipEntries(
    const std::string& path) {
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &error);
    if (!archive) return std::nullopt;
    std::vector<std::pair<std::string, std::string>> entries;
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &stat);
        std::string content(static_cast<std::size_t>(stat.size), '\0');
        if (zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0)) {
            zip_fread(file, content.data(), stat.size);
            zip_fclose(file);
        }
        entries.emplace_back(stat.name, content);
    }
    zip_discard(archive);
    return entries;
}

}  // namespace quillary::testing
