#include "kindle/KindleConverter.h"

#include "kindle/KindleVariant.h"
#include "platform/Files.h"

namespace quillary::kindle {

std::optional<Converter> findConverter(const std::string& kindlegenPath, Workspace& workspace) {
    if (files::exists(kindlegenPath)) return Converter{ConverterKind::kindlegen, kindlegenPath};
    // Authors on Linux rarely have kindlegen, which is no longer offered on
    // its own; calibre is the converter they are likely to have.
    if (auto ebookConvert = workspace.findApplication("ebook-convert"))
        return Converter{ConverterKind::ebookConvert, *ebookConvert};
    return std::nullopt;
}

std::string conversionCommand(const Converter& converter, std::string_view saveName) {
    return converter.kind == ConverterKind::kindlegen
               ? kindlegenCommand(converter.path, saveName)
               : ebookConvertCommand(converter.path, saveName);
}

bool conversionSucceeded(ConverterKind kind, const ShellResult& result) {
    if (result.end != ShellResult::End::Exited) return false;
    return result.status == 0 || (kind == ConverterKind::kindlegen && result.status == 1);
}

const char* converterName(ConverterKind kind) {
    return kind == ConverterKind::kindlegen ? "kindlegen" : "ebook-convert";
}

}  // namespace quillary::kindle
