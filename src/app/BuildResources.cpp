#include "app/BuildResources.h"

#include "platform/Files.h"
#include "platform/Paths.h"

namespace quillary::app {

Result<epub::Templates> loadTemplates(const std::string& resourcesFolder, bool epub3) {
    const std::string version = epub3 ? "3" : "2";
    epub::Templates templates;
    const std::pair<std::string*, std::string> wanted[] = {
        {&templates.mimetype, "mimetype"},
        {&templates.container, "container.xml"},
        {&templates.section, "section-" + version + ".html"},
        {&templates.cover, "cover-" + version + ".html"},
        {&templates.ncx, "toc-" + version + ".ncx"},
        {&templates.opf, "content-" + version + ".opf"},
    };
    for (const auto& [into, name] : wanted) {
        Result<std::string> content = files::readFile(paths::join(resourcesFolder, name));
        if (!content) return failure("the program's file " + name + " is missing from " + resourcesFolder);
        *into = std::move(*content);
    }
    return templates;
}

BuildResources::BuildResources(const Locations& locations, const Localizer& texts)
    : locations_(locations),
      catalogues_(locations.resources.folder + "/locale"),
      book_{.epub2Templates = loadTemplates(locations.resources.folder, false),
            .epub3Templates = loadTemplates(locations.resources.folder, true),
            .texts = {texts.text("ContentsTitle"), texts.text("EndnotesTitle"), texts.text("CoverTitle"),
                      texts.text("notAPictureMsg")},
            .catalogues = catalogues_} {}

controller::BuildTools BuildResources::tools(std::optional<kindle::Converter> kindleConverter) const {
    return {.textutilPath = locations_.textutilPath,
            .readRtfInProcess = locations_.readRtfInProcess,
            .kindleConverter = std::move(kindleConverter),
            .tempParent = locations_.tempParent};
}

}  // namespace quillary::app
