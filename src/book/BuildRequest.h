#pragma once
// What the author asked for when the build started: taken once, from the
// window and the choices of that moment, and read by every step after it.

#include <ctime>
#include <string>

#include "book/BookInfo.h"
#include "platform/Paths.h"

namespace quillary {

struct BuildRequest {
    std::string manuscript{};         // the manuscript's file
    std::string manuscriptFolder{};   // where its cover, images and media are
    std::string destinationFolder{};  // where the books go
    std::string bookName{};           // the books' file name, without extension
    BookInfo bookInfo{};              // in publication form: markup characters escaped
    bool epub3 = true;
    bool kindle = false;
    // The time every entry of the archives is dated: SOURCE_DATE_EPOCH where
    // it is set, so that a build can be reproduced byte for byte, else when
    // the build was asked for.
    std::time_t entryTime = 0;

    std::string epubPath() const { return paths::join(destinationFolder, bookName + ".epub"); }
    std::string kindlePath() const { return paths::join(destinationFolder, bookName + ".mobi"); }
};

}  // namespace quillary
