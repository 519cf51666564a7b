// Drawings in the text: pictures (DrawingML and the older VML), text boxes,
// and the alternatives a writer offers for readers of different ages.

#include "converter/DocxBody.h"

#include <algorithm>
#include <cstdlib>

namespace conv {

namespace {

constexpr long long kEmuPerTwip = 635;
constexpr long long kEmuPerPoint = 12700;
// As every length of the model: past 22 inches a size is damage.
constexpr long long kMaxTwips = 31680;

// Parts of drawings we read whatever their namespace says, and extensions
// whose absence loses nothing we read.
constexpr std::string_view kUnderstoodPrefixes[] = {"w", "wp", "a", "pic", "wps", "wpg", "wpc", "v", "o",
                                                   "w10", "wp14", "w14", "w15", "a14"};

int twipsOf(long long emu) {
    // Clamped before rounding: a size near the largest number would overflow.
    const long long bounded = std::clamp(emu, 0LL, kMaxTwips * kEmuPerTwip);
    return static_cast<int>((bounded + kEmuPerTwip / 2) / kEmuPerTwip);
}

// A VML length ("72pt", "1.5in", "100px") in EMU; 0 when it cannot be read.
long long vmlLength(std::string_view text) {
    const std::string number(text);
    char* end = nullptr;
    const double value = std::strtod(number.c_str(), &end);
    const std::string_view unit(end, static_cast<std::size_t>(number.c_str() + number.size() - end));
    const double points = unit == "in"   ? value * 72
                          : unit == "cm" ? value * 72 / 2.54
                          : unit == "mm" ? value * 72 / 25.4
                          : unit == "pt" ? value
                                         : value * 0.75;  // pixels, VML's unit when none is named
    return points > 0 && points < 1e7 ? static_cast<long long>(points * kEmuPerPoint) : 0;
}

// The value of a property in a VML style, such as width in "width:72pt;height:36pt".
std::string_view styleProperty(std::string_view style, std::string_view name) {
    for (std::size_t start = 0; start < style.size();) {
        const std::size_t end = std::min(style.find(';', start), style.size());
        const std::string_view declaration = style.substr(start, end - start);
        const std::size_t colon = declaration.find(':');
        if (colon != std::string_view::npos && declaration.substr(0, colon) == name)
            return declaration.substr(colon + 1);
        start = end + 1;
    }
    return {};
}

std::string_view formatByExtension(std::string_view name) {
    std::string extension(name.substr(std::min(name.rfind('.'), name.size())));
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    static const std::pair<std::string_view, std::string_view> formats[] = {
        {".png", "png"}, {".jpg", "jpeg"}, {".jpeg", "jpeg"}, {".gif", "gif"}, {".emf", "emf"}, {".wmf", "wmf"},
        {".bmp", "bmp"}, {".tif", "tiff"}, {".tiff", "tiff"}, {".svg", "svg"}};
    for (const auto& [known, format] : formats) {
        if (extension == known) return format;
    }
    return "";
}

// The format the bytes say they are in; the part's name when they say nothing.
std::string pictureFormat(std::string_view bytes, std::string_view name) {
    if (bytes.starts_with("\x89PNG\r\n\x1A\n")) return "png";
    if (bytes.starts_with("\xFF\xD8\xFF")) return "jpeg";
    if (bytes.starts_with("GIF87a") || bytes.starts_with("GIF89a")) return "gif";
    if (bytes.size() >= 44 && bytes.starts_with(std::string_view("\x01\0\0\0", 4)) && bytes.substr(40, 4) == " EMF")
        return "emf";
    if (bytes.starts_with("\xD7\xCD\xC6\x9A") || bytes.starts_with(std::string_view("\x01\0\x09\0", 4)) ||
        bytes.starts_with(std::string_view("\x02\0\x09\0", 4)))
        return "wmf";
    if (bytes.starts_with("BM")) return "bmp";
    if (bytes.starts_with(std::string_view("II*\0", 4)) || bytes.starts_with(std::string_view("MM\0*", 4)))
        return "tiff";
    if (bytes.substr(0, 1024).find("<svg") != std::string_view::npos) return "svg";
    return bytes.empty() ? std::string() : std::string(formatByExtension(name));
}

}  // namespace

bool DocxBody::alternativeUnderstood(pugi::xml_node choice) const {
    const std::string_view required = choice.attribute("Requires").value();
    for (std::size_t start = 0; start < required.size();) {
        const std::size_t end = std::min(required.find(' ', start), required.size());
        const std::string_view prefix = required.substr(start, end - start);
        start = end + 1;
        if (!prefix.empty() && std::find(std::begin(kUnderstoodPrefixes), std::end(kUnderstoodPrefixes), prefix) ==
                                   std::end(kUnderstoodPrefixes))
            return false;
    }
    return true;
}

void DocxBody::beginDrawing(pugi::xml_node placement) {
    const XmlPart& part = *part_;
    Drawing drawing;
    const pugi::xml_node properties = part.child(placement, Ns::WP, "docPr");
    drawing.description = properties.attribute("descr").value();
    if (drawing.description.empty()) drawing.description = properties.attribute("title").value();
    const pugi::xml_node extent = part.child(placement, Ns::WP, "extent");
    drawing.widthEmu = std::atoll(extent.attribute("cx").value());
    drawing.heightEmu = std::atoll(extent.attribute("cy").value());
    drawings_.push_back(std::move(drawing));
}

void DocxBody::vmlShape(pugi::xml_node shape) {
    Drawing drawing;
    drawing.description = shape.attribute("alt").value();
    const std::string_view style = shape.attribute("style").value();
    drawing.widthEmu = vmlLength(styleProperty(style, "width"));
    drawing.heightEmu = vmlLength(styleProperty(style, "height"));
    drawings_.push_back(std::move(drawing));
}

void DocxBody::picture(pugi::xml_node pic) {
    const XmlPart& part = *part_;
    Drawing drawing = drawings_.empty() ? Drawing{} : drawings_.back();
    // A picture in a group has a size of its own.
    const pugi::xml_node size =
        part.child(part.child(part.child(pic, Ns::Pic, "spPr"), Ns::A, "xfrm"), Ns::A, "ext");
    if (drawing.widthEmu <= 0 && size) {
        drawing.widthEmu = std::atoll(size.attribute("cx").value());
        drawing.heightEmu = std::atoll(size.attribute("cy").value());
    }
    if (drawing.description.empty())
        drawing.description =
            part.child(part.child(pic, Ns::Pic, "nvPicPr"), Ns::Pic, "cNvPr").attribute("descr").value();
    const pugi::xml_node blip = part.child(part.child(pic, Ns::Pic, "blipFill"), Ns::A, "blip");
    pugi::xml_attribute reference = part.attribute(blip, Ns::R, "embed");
    if (!reference) reference = part.attribute(blip, Ns::R, "link");
    addPicture(reference.value(), drawing);
}

void DocxBody::vmlPicture(pugi::xml_node imagedata) {
    Drawing drawing = drawings_.empty() ? Drawing{} : drawings_.back();
    if (drawing.description.empty()) drawing.description = imagedata.attribute("o:title").value();
    pugi::xml_attribute reference = part_->attribute(imagedata, Ns::R, "id");
    if (!reference) reference = part_->attribute(imagedata, Ns::R, "href");
    addPicture(reference.value(), drawing);
}

// A picture whose part is missing, lies outside the package or is linked
// rather than held still stands in its place, without bytes, so that it is
// never dropped unseen.
void DocxBody::addPicture(std::string_view relationshipId, const Drawing& drawing) {
    if (!textShown()) return;
    Picture picture;
    picture.description = drawing.description;
    picture.widthTwips = twipsOf(drawing.widthEmu);
    picture.heightTwips = twipsOf(drawing.heightEmu);
    const auto found = relationships_->find(std::string(relationshipId));
    if (found != relationships_->end() && !found->second.external) {
        const std::string& name = found->second.target;
        auto cached = mediaBytes_.find(name);
        if (cached == mediaBytes_.end())
            cached = mediaBytes_.emplace(name, sources_.package.read(name).value_or(std::string())).first;
        picture.bytes = cached->second;
        picture.format = pictureFormat(picture.bytes, name);
    }
    // A picture's width is set against the text width of its section.
    if (document_.pictures.empty() && sectionsEnded_ < sections_.size())
        document_.textWidthTwips = sections_[sectionsEnded_].textWidthTwips;
    document_.pictures.push_back(std::move(picture));
    appendInline(Inline::Kind::Picture, {}, formatFor({}, story().run),
                 static_cast<int>(document_.pictures.size() - 1));
}

// A text box's paragraphs stand before the paragraph they are anchored in,
// in the same table cell if it is in one; in a note they run on in its text.
bool DocxBody::beginTextBox() {
    if (story().kind == Story::Note) return false;
    Story box;
    box.kind = Story::TextBox;
    stories_.push_back(std::move(box));
    return true;
}

void DocxBody::endTextBox() {
    if (!story().paragraph.inlines.empty()) {
        story().markDeleted = false;
        endParagraph();
    }
    stories_.pop_back();
}

}  // namespace conv
