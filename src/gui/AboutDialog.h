#pragma once
// Help ▸ About Quillary: the name, the version this build carries, the
// icon, the licence and the project's address when the build was given
// them (a placeholder would lead nowhere), and what it is made with.

#include <QDialog>

#include "gui/Texts.h"

namespace quillary::gui {

// What the build was configured with; empty texts are left out.
struct AboutFacts {
    QString version;
    QString licence;   // such as "GPL-3.0-or-later"
    QString homepage;  // a real address
};

// The facts of this build (QUILLARY_VERSION, QUILLARY_LICENSE,
// QUILLARY_HOMEPAGE from the build's configuration).
AboutFacts thisBuild();

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    AboutDialog(Texts texts, const AboutFacts& facts, QWidget* parent);
};

}  // namespace quillary::gui
