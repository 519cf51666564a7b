#pragma once
// The book's information as the author gave it for one build: the window's
// six text fields, the publication date and the language.

#include <array>
#include <string>

namespace quillary {

struct BookInfo {
    std::string title{}, author{}, publisher{}, copyright{};
    std::string date{};  // yyyy-MM-dd
    std::string isbn{}, genre{};
    std::string language = "0";  // the index into the language table, as stored

    // The fields in the order of the book-information file's lines.
    std::array<std::string*, 8> inFileOrder() {
        return {&title, &author, &publisher, &copyright, &date, &isbn, &genre, &language};
    }
    std::array<const std::string*, 8> inFileOrder() const {
        return {&title, &author, &publisher, &copyright, &date, &isbn, &genre, &language};
    }
    bool operator==(const BookInfo&) const = default;
};

}  // namespace quillary
