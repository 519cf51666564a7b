#pragma once
// What every build of a run shares, read from the resources once, at the
// edge: the templates of both EPUB versions, the titles a book gives in the
// author's language, and the catalogues of the accessibility summary.

#include <optional>

#include "app/Locations.h"
#include "controller/BuildBook.h"
#include "platform/Localizer.h"

namespace quillary::app {

// The templates of one EPUB version from `resourcesFolder`; fails naming
// the first file that is missing.
Result<epub::Templates> loadTemplates(const std::string& resourcesFolder, bool epub3);

class BuildResources {
public:
    // `texts` speaks the author's language; it must outlive the resources.
    BuildResources(const Locations& locations, const Localizer& texts);
    BuildResources(const BuildResources&) = delete;
    BuildResources& operator=(const BuildResources&) = delete;

    const controller::BookResources& book() const { return book_; }
    // The tools a build runs, with the Kindle converter found now.
    controller::BuildTools tools(std::optional<kindle::Converter> kindleConverter) const;

private:
    Locations locations_;
    Catalogues catalogues_;
    controller::BookResources book_;
};

}  // namespace quillary::app
