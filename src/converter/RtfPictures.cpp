// Pictures as word processors embed them: a \pict group of hex digits (or
// \bin bytes) with its format and size. Word writes each picture twice --
// \shppict for readers that know its format, \nonshppict with a metafile for
// those that do not -- so only the first is read. A floating picture is the
// "pib" property of a drawing (\shp), whose frame gives its size; other
// properties may hold pictures too (a fill), which are not the picture. An
// embedded object shows its \result, usually a picture.

#include "converter/RtfParser.h"

#include <algorithm>
#include <array>
#include <unordered_map>
#include <utility>

namespace conv {

namespace {

// A description is a sentence or a paragraph; a property value past this is
// damage, and cutting it keeps memory in proportion to the text.
constexpr std::size_t kMaxPropertyLength = 16 * 1024;

// Twips in a CSS pixel (96 to the inch), and in RTF's metafile unit, the
// hundredth of a millimetre.
constexpr double kTwipsPerPixel = 15.0;
constexpr double kTwipsPerHimetric = 1440.0 / 2540.0;

// A picture wider or taller than 22 inches, the largest page, is damage.
constexpr double kMaxPictureTwips = 31680.0;

enum class PictureWord : std::uint8_t { Format, Wide, High, GoalWide, GoalHigh, ScaleX, ScaleY, Properties };

struct PictureWordInfo {
    PictureWord kind;
    std::string_view format = {};
};

const std::unordered_map<std::string_view, PictureWordInfo>& pictureWords() {
    static const std::unordered_map<std::string_view, PictureWordInfo> words{
        {"pngblip", {PictureWord::Format, "png"}}, {"jpegblip", {PictureWord::Format, "jpeg"}},
        {"emfblip", {PictureWord::Format, "emf"}}, {"wmetafile", {PictureWord::Format, "wmf"}},
        {"macpict", {PictureWord::Format, "pict"}}, {"dibitmap", {PictureWord::Format, "dib"}},
        // Device-dependent bitmaps and OS/2 metafiles: no reader of ours can show them.
        {"wbitmap", {PictureWord::Format, ""}}, {"pmmetafile", {PictureWord::Format, ""}},
        {"picw", {PictureWord::Wide}}, {"pich", {PictureWord::High}},
        {"picwgoal", {PictureWord::GoalWide}}, {"pichgoal", {PictureWord::GoalHigh}},
        {"picscalex", {PictureWord::ScaleX}}, {"picscaley", {PictureWord::ScaleY}},
        {"picprop", {PictureWord::Properties}},
    };
    return words;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Writers name the format, and some name it wrongly; the bytes decide for
// the formats a reading system shows, and bytes that are not what their
// name says are of no known format.
std::string sniffedFormat(std::string_view bytes, std::string_view stated) {
    if (bytes.starts_with("\x89PNG\r\n\x1A\n")) return "png";
    if (bytes.starts_with("\xFF\xD8\xFF")) return "jpeg";
    if (bytes.starts_with("GIF87a") || bytes.starts_with("GIF89a")) return "gif";
    if (stated == "png" || stated == "jpeg") return "";
    return std::string(stated);
}

// The goal size is what the document shows; without it, a bitmap's pixels
// stand at 96 to the inch and a metafile's extent is in its own unit.
int shownTwips(int goal, int extent, int scale, bool metafile) {
    double twips = goal > 0 ? goal : std::max(extent, 0) * (metafile ? kTwipsPerHimetric : kTwipsPerPixel);
    twips *= (scale > 0 ? scale : 100) / 100.0;
    return static_cast<int>(std::min(twips, kMaxPictureTwips) + 0.5);
}

std::string trimmed(std::string_view text) {
    std::size_t start = text.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos) return {};
    return std::string(text.substr(start, text.find_last_not_of(" \t\r\n") - start + 1));
}

// Word and LibreOffice name every picture themselves ("Picture 3",
// "Image1", "Grafik 2"): one word and a number say nothing about it.
bool isMadeUpName(std::string_view name) {
    std::size_t end = name.size();
    while (end > 0 && name[end - 1] >= '0' && name[end - 1] <= '9') --end;
    if (end == name.size()) return false;
    if (end > 0 && name[end - 1] == ' ') --end;
    return end > 0 && name.substr(0, end).find(' ') == std::string_view::npos;
}

// Word 2007 described every picture inserted from a file by the file's path
// ("C:\Users\tamsin\pane.png"), which tells a reader nothing.
bool isFilePath(std::string_view text) {
    bool drive = text.size() > 2 && ((text[0] | 0x20) >= 'a' && (text[0] | 0x20) <= 'z') && text[1] == ':' &&
                 (text[2] == '\\' || text[2] == '/');
    return drive || text.starts_with("\\\\") || text.starts_with("file:");
}

}  // namespace

void RtfParser::AltText::set(std::string_view property, std::string value) {
    if (property == "wzDescription") description = trimmed(value);
    else if (property == "wzName") name = trimmed(value);
}

std::string RtfParser::AltText::chosen() const {
    if (!description.empty() && !isFilePath(description)) return description;
    return isMadeUpName(name) ? std::string() : name;
}

bool RtfParser::pictureWord(std::string_view word) {
    Destination destination = state().destination;
    if (word == "pict") {
        if (destination == Destination::Body) openPicture(false);
        else if (destination == Destination::ShapeValue && propertyName_ == "pib") openPicture(true);
        else enterDestination(Destination::Skip);
        return true;
    }
    if (word == "shppict") return true;  // its \pict is read; \nonshppict repeats it
    if (word == "shp") {
        if (destination == Destination::Body && overflowDepth_ == 0) {
            shapes_.emplace_back();
            shapes_.back().depth = stack_.size();
        }
        return true;
    }
    if (word == "object") {
        enterDestination(destination == Destination::Body && !textHidden() ? Destination::Object
                                                                             : Destination::Skip);
        return true;
    }
    return false;
}

// Inside a \pict only its own words mean anything; the properties group
// holds its description.
void RtfParser::pictureDataWord(const Token& token, bool ignorable) {
    auto found = pictureWords().find(token.word);
    if (found == pictureWords().end() || !picture_) {
        if (ignorable) enterDestination(Destination::Skip);
        return;
    }
    PictureFrame& frame = *picture_;
    int param = token.hasParam ? token.param : 0;
    switch (found->second.kind) {
    case PictureWord::Format: frame.picture.format = found->second.format; break;
    case PictureWord::Wide: frame.pixelsWide = param; break;
    case PictureWord::High: frame.pixelsHigh = param; break;
    case PictureWord::GoalWide: frame.goalWide = param; break;
    case PictureWord::GoalHigh: frame.goalHigh = param; break;
    case PictureWord::ScaleX: frame.scaleX = param; break;
    case PictureWord::ScaleY: frame.scaleY = param; break;
    case PictureWord::Properties: enterDestination(Destination::Shape); break;
    }
}

void RtfParser::openPicture(bool ofShape) {
    // One picture at a time: a picture inside a picture's properties is a fill.
    if (picture_ || overflowDepth_ > 0 || textHidden()) {
        enterDestination(Destination::Skip);
        return;
    }
    enterDestination(Destination::Picture);
    PictureFrame frame;
    frame.depth = stack_.size();
    frame.ofShape = ofShape;
    picture_ = std::move(frame);
}

// Pictures are most of a manuscript's bytes when it has any: the digits
// are read with a table, into room made once per line of them.
void RtfParser::addPictureHex(std::string_view hex) {
    static const auto values = [] {
        std::array<signed char, 256> table{};
        for (int c = 0; c < 256; ++c) table[static_cast<std::size_t>(c)] = static_cast<signed char>(hexDigit(static_cast<char>(c)));
        return table;
    }();
    std::string& bytes = picture_->picture.bytes;
    if (bytes.capacity() < bytes.size() + hex.size() / 2 + 1)
        bytes.reserve(std::max(bytes.capacity() * 2, bytes.size() + hex.size() / 2 + 1));
    int nibble = picture_->nibble;
    for (char c : hex) {
        int value = values[static_cast<unsigned char>(c)];
        if (value < 0) continue;  // blanks between the digits
        if (nibble < 0) {
            nibble = value;
        } else {
            bytes.push_back(static_cast<char>(nibble << 4 | value));
            nibble = -1;
        }
    }
    picture_->nibble = nibble;
}

void RtfParser::addPictureBytes(std::string_view bytes) { picture_->picture.bytes.append(bytes); }

void RtfParser::closePicture() {
    PictureFrame frame = std::move(*picture_);
    picture_.reset();
    Picture& picture = frame.picture;
    if (picture.bytes.empty()) return;
    picture.format = sniffedFormat(picture.bytes, picture.format);
    bool metafile = picture.format == "wmf" || picture.format == "emf";
    picture.widthTwips = shownTwips(frame.goalWide, frame.pixelsWide, frame.scaleX, metafile);
    picture.heightTwips = shownTwips(frame.goalHigh, frame.pixelsHigh, frame.scaleY, metafile);
    picture.description = frame.alt.chosen();
    if (!frame.ofShape) return placePicture(std::move(picture));
    if (!shapes_.empty() && !shapes_.back().picture) shapes_.back().picture = std::move(picture);
}

// A drawing's frame is where its picture shows, at the frame's size.
void RtfParser::closeShape() {
    ShapeFrame frame = std::move(shapes_.back());
    shapes_.pop_back();
    if (!frame.picture) return;
    Picture& picture = *frame.picture;
    if (frame.right > frame.left && frame.bottom > frame.top) {
        picture.widthTwips = static_cast<int>(std::min<double>(frame.right - frame.left, kMaxPictureTwips));
        picture.heightTwips = static_cast<int>(std::min<double>(frame.bottom - frame.top, kMaxPictureTwips));
    }
    if (picture.description.empty()) picture.description = frame.alt.chosen();
    placePicture(std::move(picture));
}

void RtfParser::addPropertyText(std::string& property, std::string_view utf8) {
    std::size_t room = kMaxPropertyLength > property.size() ? kMaxPropertyLength - property.size() : 0;
    if (room >= utf8.size()) {
        property.append(utf8);
        return;
    }
    // A character is kept whole or not at all.
    while (room > 0 && (static_cast<unsigned char>(utf8[room]) & 0xC0) == 0x80) --room;
    property.append(utf8.substr(0, room));
}

void RtfParser::applyShapeProperty() {
    if (picture_) picture_->alt.set(propertyName_, std::move(propertyValue_));
    else if (!shapes_.empty()) shapes_.back().alt.set(propertyName_, std::move(propertyValue_));
    propertyValue_.clear();
}

void RtfParser::placePicture(Picture picture) {
    if (state().destination != Destination::Body || textHidden()) return;
    // Pictures are sized against the text they stand in.
    if (document_.textWidthTwips == 0) document_.textWidthTwips = std::max(0, pageWidth_ - marginLeft_ - marginRight_);
    int index = static_cast<int>(document_.pictures.size());
    document_.pictures.push_back(std::move(picture));
    appendInline(Inline::Kind::Picture, {}, index);
}

}  // namespace conv
