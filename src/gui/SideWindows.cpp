#include "gui/SideWindows.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "app/PreferenceKeys.h"
#include "book/Languages.h"
#include "gui/Icon.h"
#include "platform/Files.h"

namespace quillary::gui {

namespace prefs = app::prefs;

namespace {

QCheckBox* preferenceBox(const QString& label, Preferences& preferences, const char* key) {
    auto* box = new QCheckBox(label);
    box->setObjectName(key);
    box->setChecked(preferences.integerForKey(key) != 0);
    QObject::connect(box, &QCheckBox::toggled, box,
                     [&preferences, key](bool on) { preferences.setBool(key, on); });
    return box;
}

}  // namespace

SplashWindow::SplashWindow(Texts texts, Preferences& preferences) : preferences_(preferences) {
    setObjectName("splash");
    setWindowTitle(texts("Welcome to Quillary"));
    auto* icon = new QLabel;
    icon->setPixmap(applicationIcon(96));
    auto* text = new QVBoxLayout;
    auto* columns = new QHBoxLayout(this);
    columns->setContentsMargins(24, 24, 24, 24);
    columns->setSpacing(24);
    columns->addWidget(icon, 0, Qt::AlignTop);
    columns->addLayout(text, 1);
    setMinimumWidth(fontMetrics().averageCharWidth() * 64);
    auto* layout = text;
    auto* name = new QLabel(QStringLiteral("<h1>Quillary</h1>"));
    auto* line = new QLabel(texts("Turns your .rtf, .doc, .docx or .odt manuscript into an EPUB e-book, "
                                  "and a Kindle book if you wish."));
    line->setWordWrap(true);
    auto* learn = new QPushButton(texts("&Learn More…"));
    learn->setObjectName("learnMore");
    connect(learn, &QPushButton::clicked, this, [this] {
        close();
        emit learnMore();
    });
    layout->addWidget(name);
    layout->addWidget(line);
    layout->addWidget(learn, 0, Qt::AlignLeft);
    showAtStart_ = preferenceBox(texts("&Show this window at start"), preferences, prefs::kShowLaunch);
    layout->addWidget(showAtStart_);
}

void SplashWindow::showEvent(QShowEvent* event) {
    showAtStart_->setChecked(preferences_.integerForKey(prefs::kShowLaunch) != 0);
    QWidget::showEvent(event);
}

void SplashWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) close();
    else QWidget::keyPressEvent(event);
}

HelpWindow::HelpWindow(Texts texts, const QString& page) : browser_(new QTextBrowser(this)) {
    setObjectName("help");
    setWindowTitle(texts("How to Prepare a Manuscript"));
    browser_->setOpenExternalLinks(true);
    browser_->setSearchPaths({QFileInfo(page).absolutePath()});
    // Read as text, as the page is ours and UTF-8; pictures are found
    // beside it through the search path.
    if (const auto html = files::readFile(page.toStdString()))
        browser_->setHtml(QString::fromUtf8(html->data(), static_cast<qsizetype>(html->size())));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    resize(640, 720);
}

void HelpWindow::print() {
    auto* printer = new QPrinter;
    auto* dialog = new QPrintDialog(printer, this);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, qOverload<>(&QDialog::accepted), this, [this, printer] { browser_->print(printer); });
    connect(dialog, &QObject::destroyed, this, [printer] { delete printer; });
    dialog->open();
}

void HelpWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    emit visibilityChanged(true);
}

void HelpWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    emit visibilityChanged(false);
}

PreferencesDialog::PreferencesDialog(Texts texts, Preferences& preferences, QWidget* parent)
    : QDialog(parent) {
    setObjectName("preferences");
    setWindowTitle(texts("Preferences"));
    auto* form = new QFormLayout(this);
    form->addRow(new QLabel(texts("When a book is made:")));
    form->addRow(preferenceBox(texts("Open the &EPUB book"), preferences, prefs::kReviewPub));
    form->addRow(preferenceBox(texts("Open the &Kindle book"), preferences, prefs::kReviewKindle));
    form->addRow(preferenceBox(texts("Show the book in its &folder"), preferences, prefs::kShowInFolder));
    form->addRow(preferenceBox(texts("&Check the book with EPUBCheck"), preferences, prefs::kCheckAfterBuild));
    form->addRow(preferenceBox(texts("Show the &welcome window at start"), preferences, prefs::kShowLaunch));

    auto* viewer = new QLineEdit(QString::fromStdString(preferences.stringForKey(prefs::kKindleViewer)));
    viewer->setObjectName(prefs::kKindleViewer);
    viewer->setPlaceholderText(QStringLiteral("ebook-viewer"));
    connect(viewer, &QLineEdit::textChanged, this, [&preferences](const QString& text) {
        preferences.setString(prefs::kKindleViewer, text.trimmed().toStdString());
    });
    auto* viewerLabel = new QLabel(texts("Kindle &viewer:"));
    viewerLabel->setBuddy(viewer);
    form->addRow(viewerLabel, viewer);

    auto* language = new QComboBox;
    language->setObjectName(prefs::kDefaultLang);
    for (const char* name : nativeLangNames) language->addItem(QString::fromUtf8(name));
    const long stored = preferences.integerForKey(prefs::kDefaultLang);
    if (stored >= 0 && stored < kLanguageCount) language->setCurrentIndex(static_cast<int>(stored));
    connect(language, &QComboBox::activated, this, [this, &preferences](int index) {
        preferences.setString(prefs::kDefaultLang, std::to_string(index));
        emit defaultLanguageChosen(index);
    });
    auto* languageLabel = new QLabel(texts("Default &language:"));
    languageLabel->setBuddy(language);
    form->addRow(languageLabel, language);
}

}  // namespace quillary::gui
