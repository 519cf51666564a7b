#pragma once
// The markup and file names that the image, audio and video directives of a
// manuscript line turn into, and the rules for the media files beside the
// manuscript. Pure text: no build state, no files.

#include <optional>
#include <string>
#include <string_view>

namespace quillary::epub::media {

// The name with every blank (U+0020) removed; tabs and other white space stay.
std::string blankFreeName(std::string_view name);
// True when the UTF-8 name may not name a file in an EPUB container: it is
// not well-formed UTF-8, ends in ".", or holds one of / \ " * : < > ? { } | ^ `,
// a control character (C0, DEL, C1), a private-use character or one of
// U+FDD0..U+FDEF, U+FFF0..U+FFFF, U+E0000..U+E0FFF.
bool hasForbiddenCharacter(std::string_view name);
// How a package document refers to the file `name` (UTF-8): every byte but
// letters, digits and - . _ ~ ! $ ' ( ) * + , ; = @ percent-encoded, so the
// reference is ASCII, needs no escaping in XML, and a "#", "%" or "?" in
// the name is not read as a fragment, an escape or a query.
std::string fileReference(std::string_view name);
// The name a file is stored under in the book: its name with each character
// that reading systems or checkers fail to resolve in a reference, though
// it is encoded ("#"), replaced by "_".
std::string storableName(std::string_view name);

// True for "png", "jpg", "jpeg", "gif" and "svg" in any case.
bool isImageExtension(std::string_view extension);
// The registered media type of an image extension, in any case.
std::string imageType(std::string_view extension);

// "audio" for mp3, aac, m4a and m4b; "video" for every other extension.
// `lowercaseExtension` must already be lowercased.
std::string mediaKind(std::string_view lowercaseExtension);
// True for the eight audio and video extensions, compared after lowercasing.
bool isMediaExtension(std::string_view extension);
// The registered media type of an audio or video extension (lowercased):
// "audio/mpeg" for mp3, "video/quicktime" for mov, "video/3gpp" for 3gp ...
std::string mediaType(std::string_view lowercaseExtension);

// The names in the lists are the files' real names (UTF-8, blanks removed),
// the markup's references their encoded form.
struct MediaMarkup {
    std::string markup;                // replaces the whole line
    std::string mediaName;             // "base.ext" for the media list
    std::optional<std::string> poster; // "base.png" for the images list (video only)
    std::string typedName;             // the media's name as typed, blanks kept
    std::optional<std::string> typedPoster;
};

// The names the player refers to, in the book's folders; a video without
// a poster shows none.
struct MediaSources {
    std::string media;
    std::optional<std::string> poster;
};

// The player for a media line. EPUB 3 gets an <audio>/<video> element; EPUB 2,
// whose XHTML has neither, gets an <object> whose fallback is the poster for
// video and the base name for audio. Without `stored` the player refers to
// the names of the lists.
MediaMarkup mediaMarkup(std::string_view line, bool epub3, const std::optional<MediaSources>& stored = std::nullopt);

struct ImageMarkup {
    std::string markup;     // replaces the whole line
    std::string imageName;  // "base.ext" for the images list; ".png" when no image extension was typed
    std::string typedName;  // the same with the blanks typed
};

// The image for an image line: placement from the directive word, the
// author's hyperlink on the file name kept around the image. `alternative`
// is the image's text alternative as page text; without one the image's
// name stands for it. The image refers to `stored` when given, else to its
// name in the images list.
ImageMarkup imageMarkup(std::string_view line, const std::optional<std::string>& alternative = std::nullopt,
                        const std::optional<std::string>& stored = std::nullopt);

// The text alternative that a paragraph beginning with "alt:" (any case)
// gives, as page text ready for an attribute; "" for a bare "alt:", which
// marks an image as decoration. nullopt for any other paragraph.
std::optional<std::string> textAlternative(std::string_view line);

}  // namespace quillary::epub::media
