#include "gui/AboutDialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/Icon.h"

namespace quillary::gui {

AboutFacts thisBuild() { return {QUILLARY_VERSION, QUILLARY_LICENSE, QUILLARY_HOMEPAGE}; }

namespace {

QLabel* wrapped(const QString& text) {
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

}  // namespace

AboutDialog::AboutDialog(Texts texts, const AboutFacts& facts, QWidget* parent) : QDialog(parent) {
    setObjectName("about");
    setWindowTitle(texts("About Quillary"));
    setMinimumWidth(fontMetrics().averageCharWidth() * 72);
    auto* icon = new QLabel;
    icon->setPixmap(applicationIcon(96));
    auto* text = new QVBoxLayout;
    auto* name = new QLabel(QStringLiteral("<h2>Quillary</h2>"));
    text->addWidget(name);
    QLabel* version = wrapped(texts("Version %1").arg(facts.version));
    version->setObjectName("aboutVersion");
    text->addWidget(version);
    text->addWidget(wrapped(texts("Quillary turns a manuscript into an EPUB e-book.")));
    if (!facts.licence.isEmpty()) text->addWidget(wrapped(texts("Licence: %1").arg(facts.licence)));
    if (!facts.homepage.isEmpty()) {
        auto* link = new QLabel(QStringLiteral("<a href=\"%1\">%1</a>").arg(facts.homepage.toHtmlEscaped()));
        link->setObjectName("aboutLink");
        link->setOpenExternalLinks(true);
        text->addWidget(link);
    }
    text->addWidget(wrapped(texts("Made with Qt %1, libzip, libdeflate and pugixml.").arg(qVersion())));
    text->addStretch(1);
    auto* columns = new QHBoxLayout;
    columns->setSpacing(18);
    columns->addWidget(icon, 0, Qt::AlignTop);
    columns->addLayout(text, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    QPushButton* aboutQt = buttons->addButton(texts("About &Qt"), QDialogButtonBox::HelpRole);
    connect(aboutQt, &QPushButton::clicked, this, [this] { QMessageBox::aboutQt(this); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* page = new QVBoxLayout(this);
    page->addLayout(columns);
    page->addWidget(buttons);
}

}  // namespace quillary::gui
