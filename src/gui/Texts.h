#pragma once
// The windows' texts, looked up in the application's gettext catalogues. The
// English text is the key, so a text without a translation shows in English.

#include <QString>

#include "platform/Localizer.h"

namespace quillary::gui {

class Texts {
public:
    explicit Texts(const Localizer& catalogue) : catalogue_(&catalogue) {}
    QString operator()(const char* english) const {
        return QString::fromStdString(catalogue_->text(english));
    }

private:
    const Localizer* catalogue_;
};

}  // namespace quillary::gui
