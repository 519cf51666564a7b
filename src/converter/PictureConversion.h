#pragma once
// Pictures in formats that reading systems do not show -- Windows and
// Macintosh metafiles, device-independent bitmaps -- made PNG by LibreOffice,
// which the converter already needs for Word files.

#include "converter/Document.h"
#include "converter/WordImport.h"

#include <cstddef>
#include <string_view>

namespace conv {

// Whether LibreOffice can make a PNG of a picture of this format: "emf",
// "wmf", "pict" and "dib".
bool isConvertiblePictureFormat(std::string_view format);

// Makes every picture of a convertible format PNG, all in one LibreOffice
// run (a start costs seconds; a picture, little). Its size as shown and its
// description stay. A picture LibreOffice could not convert stays as it was,
// and so do all when LibreOffice is missing or fails: the HTML then names
// their formats and the build tells the author. Returns how many became PNG.
// Blocks until LibreOffice ends; starts nothing when there is nothing to do.
std::size_t convertPictures(Document& document, const LibreOffice& office);

}  // namespace conv
