#include "gui/MainWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QDragEnterEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <cmath>

#include "book/Languages.h"
#include "gui/Icon.h"
#include "gui/ResultsView.h"

namespace quillary::gui {

// The cover, scaled to the space it has with its aspect kept.
class CoverPreview : public QLabel {
public:
    explicit CoverPreview(QWidget* parent) : QLabel(parent) {
        setAlignment(Qt::AlignCenter);
        setWordWrap(true);
        setMinimumSize(120, 160);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    }
    void setImage(const QPixmap& image) {
        image_ = image;
        rescale();
    }
    const QPixmap& image() const { return image_; }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QLabel::resizeEvent(event);
        rescale();
    }

private:
    void rescale() {
        // Without an image the label holds its text, which a resize keeps.
        if (image_.isNull()) return;
        const qreal ratio = devicePixelRatioF();
        QPixmap scaled = image_.scaled(size() * ratio, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        scaled.setDevicePixelRatio(ratio);
        setPixmap(scaled);
    }
    QPixmap image_;
};

namespace {

QString qt(const std::string& text) { return QString::fromStdString(text); }

constexpr const char* kFieldLabels[6][2] = {
    {"&Title:", "title"},         {"&Author:", "author"}, {"&Publisher:", "publisher"},
    {"Cop&yright:", "copyright"}, {"&ISBN:", "isbn"},     {"&Genre:", "genre"}};

}  // namespace

MainWindow::MainWindow(Texts texts, Dialogs& dialogs) : texts_(texts), dialogs_(dialogs) {
    setWindowTitle(QStringLiteral("Quillary"));
    setObjectName("mainWindow");
    setAcceptDrops(true);

    makeAction_ = new QAction(texts_("&Make E-book…"), this);
    makeAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    makeAction_->setEnabled(false);
    chooseAction_ = new QAction(texts_("&Choose Manuscript…"), this);
    chooseAction_->setShortcut(QKeySequence::Open);

    auto* central = new QWidget(this);
    auto* columns = new QHBoxLayout;
    auto* formColumn = new QVBoxLayout;
    formColumn->addWidget(makeForm());
    formColumn->addStretch(1);
    columns->addLayout(formColumn, 3);
    columns->addWidget(makeOutputColumn(), 2);
    auto* page = new QVBoxLayout(central);
    page->addLayout(columns, 1);
    page->addWidget(makeStatusRow());
    setCentralWidget(central);
    cover_->setImage(applicationIcon(256));
    // Down the form in reading order (the date row was placed after the
    // copyright but made after the genre), then the output choices.
    QWidget* order[] = {manuscript_, findChild<QPushButton*>("choose"), fields_[0], fields_[1], fields_[2],
                        fields_[3], pubDate_, fields_[4], fields_[5], language_, epub3_, kindle_, make_};
    for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
    resize(720, 520);
}

QLineEdit* MainWindow::addField(QFormLayout* form, const char* label, const char* name) {
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    auto* caption = new QLabel(texts_(label));
    caption->setBuddy(edit);
    edit->setAccessibleName(caption->text().remove('&').remove(':'));
    form->addRow(caption, edit);
    connect(edit, &QLineEdit::editingFinished, this, &MainWindow::fieldsEdited);
    return edit;
}

QWidget* MainWindow::makeForm() {
    auto* box = new QGroupBox(texts_("Book"));
    auto* form = new QFormLayout(box);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    // Fields much wider than a title only spread the form on a large screen.
    box->setMaximumWidth(box->fontMetrics().averageCharWidth() * 90);

    manuscript_ = new QLineEdit;
    manuscript_->setObjectName("manuscript");
    manuscript_->setReadOnly(true);
    manuscript_->setAccessibleName(texts_("Manuscript"));
    auto* choose = new QPushButton(texts_("Ch&oose…"));
    choose->setObjectName("choose");
    connect(choose, &QPushButton::clicked, chooseAction_, &QAction::trigger);
    auto* manuscriptRow = new QHBoxLayout;
    manuscriptRow->addWidget(manuscript_, 1);
    manuscriptRow->addWidget(choose);
    auto* manuscriptLabel = new QLabel(texts_("Ma&nuscript:"));
    manuscriptLabel->setBuddy(manuscript_);
    form->addRow(manuscriptLabel, manuscriptRow);

    for (std::size_t i = 0; i < fields_.size(); ++i)
        fields_[i] = addField(form, kFieldLabels[i][0], kFieldLabels[i][1]);

    pubDate_ = new QDateEdit(QDate::currentDate());
    pubDate_->setObjectName("pubDate");
    pubDate_->setCalendarPopup(true);
    pubDate_->setDisplayFormat("yyyy-MM-dd");
    pubDate_->setAccessibleName(texts_("Publication date"));
    auto* dateLabel = new QLabel(texts_("&Date:"));
    dateLabel->setBuddy(pubDate_);
    form->insertRow(5, dateLabel, pubDate_);  // after the copyright, as the book states them
    connect(pubDate_, &QDateEdit::editingFinished, this, &MainWindow::fieldsEdited);

    // The quick list, each language in its own name; any other language is
    // typed as its tag ("en-GB", "cs").
    language_ = new QComboBox;
    language_->setObjectName("language");
    language_->setEditable(true);
    language_->setInsertPolicy(QComboBox::NoInsert);
    for (const char* name : nativeLangNames) language_->addItem(QString::fromUtf8(name));
    language_->setAccessibleName(texts_("Language"));
    language_->setToolTip(texts_("Pick a language, or type its tag, such as en-GB, cs or pt-BR"));
    connect(language_, &QComboBox::activated, this, &MainWindow::fieldsEdited);
    connect(language_->lineEdit(), &QLineEdit::editingFinished, this, &MainWindow::fieldsEdited);
    auto* languageLabel = new QLabel(texts_("&Language:"));
    languageLabel->setBuddy(language_);
    form->addRow(languageLabel, language_);

    // Both lines keep their room when empty, so the form does not jump.
    source_ = new QLabel;
    source_->setObjectName("informationSource");
    source_->setWordWrap(true);
    source_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    advice_ = new QLabel;
    advice_->setObjectName("fieldAdvice");
    advice_->setWordWrap(true);
    form->addRow(source_);
    form->addRow(advice_);
    return box;
}

QWidget* MainWindow::makeOutputColumn() {
    auto* box = new QWidget;
    auto* column = new QVBoxLayout(box);
    cover_ = new CoverPreview(box);
    cover_->setObjectName("cover");
    cover_->setAccessibleName(texts_("Cover preview"));
    column->addWidget(cover_, 1);

    auto* output = new QGroupBox(texts_("Output"));
    auto* choices = new QVBoxLayout(output);
    epub3_ = new QCheckBox(texts_("EPUB &3"));
    epub3_->setObjectName("epub3");
    connect(epub3_, &QCheckBox::clicked, this, &MainWindow::epub3Clicked);
    kindle_ = new QCheckBox(texts_("Also make a &Kindle book"));
    kindle_->setObjectName("kindle");
    connect(kindle_, &QCheckBox::clicked, this, &MainWindow::kindleClicked);
    auto* kindleNote = new QLabel(texts_("A Kindle book makes the EPUB an EPUB 2."));
    kindleNote->setObjectName("kindleNote");
    kindleNote->setWordWrap(true);
    kindleNote->setIndent(kindle_->style()->pixelMetric(QStyle::PM_IndicatorWidth) + 4);
    QFont small = kindleNote->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    kindleNote->setFont(small);
    choices->addWidget(epub3_);
    choices->addWidget(kindle_);
    choices->addWidget(kindleNote);
    column->addWidget(output);

    make_ = new QPushButton(texts_("&Make E-book…"));
    make_->setObjectName("make");
    // No default button: a main window has none that Enter reaches, and one
    // drawn as the default would promise it. Enter in a field keeps its edit.
    make_->setEnabled(false);
    connect(make_, &QPushButton::clicked, makeAction_, &QAction::trigger);
    column->addWidget(make_, 0, Qt::AlignRight);
    return box;
}

QWidget* MainWindow::makeStatusRow() {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    status_ = new QLabel;
    status_->setObjectName("status");
    status_->setAccessibleName(texts_("Status"));
    status_->setWordWrap(true);
    status_->hide();
    progress_ = new QProgressBar;
    progress_->setObjectName("progress");
    progress_->setAccessibleName(texts_("Progress"));
    progress_->setTextVisible(false);
    progress_->hide();
    cancel_ = new QPushButton(texts_("Cancel"));
    cancel_->setObjectName("cancelBuild");
    cancel_->setAutoDefault(false);
    cancel_->hide();
    connect(cancel_, &QPushButton::clicked, this, &MainWindow::cancelRequested);
    // The row keeps its height while its parts come and go, so the form
    // above it does not jump when a build starts or ends.
    for (QWidget* part : std::initializer_list<QWidget*>{status_, progress_, cancel_}) {
        QSizePolicy policy = part->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        part->setSizePolicy(policy);
    }
    layout->addWidget(status_, 1);
    layout->addWidget(progress_, 1);
    layout->addWidget(cancel_);
    return row;
}

std::string MainWindow::fieldText(BookField field) const {
    return fields_[static_cast<std::size_t>(field)]->text().toStdString();
}

void MainWindow::setFieldText(BookField field, const std::string& text) {
    fields_[static_cast<std::size_t>(field)]->setText(qt(text));
}

CivilDate MainWindow::pubDate() const {
    const QDate date = pubDate_->date();
    return {date.year(), date.month(), date.day()};
}

void MainWindow::setPubDate(const CivilDate& date) { pubDate_->setDate(QDate(date.year, date.month, date.day)); }

std::string MainWindow::language() const {
    const QString typed = language_->currentText().trimmed();
    const int index = language_->findText(typed, Qt::MatchFixedString);
    if (index >= 0) return std::to_string(index);
    // An author may type the English name of one of the list's languages.
    for (int i = 0; i < kLanguageCount; ++i)
        if (typed.compare(QLatin1String(langNames[i]), Qt::CaseInsensitive) == 0) return std::to_string(i);
    return storedLanguage(typed.toStdString()).value_or(typed.toStdString());
}

void MainWindow::setLanguage(const std::string& stored) {
    if (const std::optional<int> index = quickListIndex(stored)) language_->setCurrentIndex(*index);
    else language_->setEditText(qt(stored));
}

void MainWindow::setInformationSource(const std::string& line) { source_->setText(qt(line)); }

void MainWindow::setFieldAdvice(const std::string& advice) { advice_->setText(qt(advice)); }

std::string MainWindow::manuscriptLocation() const { return manuscript_->text().toStdString(); }

void MainWindow::setManuscriptLocation(const std::string& fileName) {
    manuscript_->setText(qt(fileName));
    // The desktop's window list and task switcher tell manuscripts apart by it.
    setWindowTitle(fileName.empty() ? QStringLiteral("Quillary") : qt(fileName) + QStringLiteral(" \u2014 Quillary"));
}

void MainWindow::setCoverPreview(const std::string& imagePath) {
    const QPixmap image(qt(imagePath));
    cover_->setImage(image);  // a pixmap replaces the label's text
    // The application's icon here would pass for the book's cover.
    if (image.isNull()) cover_->setText(texts_("No cover: put cover.jpg or cover.png beside the manuscript."));
}

void MainWindow::setMakeEnabled(bool enabled) {
    make_->setEnabled(enabled);
    makeAction_->setEnabled(enabled);
}

bool MainWindow::kindleChecked() const { return kindle_->isChecked(); }
void MainWindow::setKindleChecked(bool on) { kindle_->setChecked(on); }
bool MainWindow::epub3Checked() const { return epub3_->isChecked(); }
void MainWindow::setEpub3Checked(bool on) { epub3_->setChecked(on); }

void MainWindow::setStatusHidden(bool hidden) { status_->setHidden(hidden); }
void MainWindow::setStatusText(const std::string& text) { status_->setText(qt(text)); }

void MainWindow::say(const QString& text) {
    status_->setText(text);
    status_->show();
}

void MainWindow::setProgressHidden(bool hidden) {
    progress_->setHidden(hidden);
    cancel_->setHidden(hidden);
    cancel_->setEnabled(true);
}

void MainWindow::setProgressIndeterminate(bool indeterminate) {
    // A range of 0..0 is Qt's busy indicator.
    if (indeterminate) progress_->setRange(0, 0);
    else progress_->setRange(static_cast<int>(progressMinimum_), static_cast<int>(progressMaximum_));
}

void MainWindow::setProgressRange(double minimum, double maximum) {
    progressMinimum_ = minimum;
    progressMaximum_ = std::max(minimum, maximum);
    if (progress_->maximum() != 0)
        progress_->setRange(static_cast<int>(progressMinimum_), static_cast<int>(progressMaximum_));
}

void MainWindow::setProgressValue(double value) { progress_->setValue(static_cast<int>(std::lround(value))); }

void MainWindow::showAlert(const Alert& alert) {
    // One sheet at a time, as the author reads them: a build that fails its
    // Kindle step and then reports a problem shows the second alert once the
    // first is dismissed, not stacked over it.
    waitingAlerts_.push_back(alert);
    if (waitingAlerts_.size() == 1) showFirstWaitingAlert();
}

void MainWindow::showFirstWaitingAlert() {
    Alert shown = waitingAlerts_.front();
    shown.onEnd = [this, onEnd = shown.onEnd](int returnCode) {
        if (onEnd) onEnd(returnCode);
        waitingAlerts_.pop_front();
        if (!waitingAlerts_.empty()) showFirstWaitingAlert();
    };
    dialogs_.alert(this, shown);
}

void MainWindow::showBuildReport(const BuildReport& report) {
    if (!results_) {
        results_ = new ResultsView(texts_, this);
        connect(results_, &ResultsView::openBook, this, &MainWindow::openBookRequested);
        connect(results_, &ResultsView::showInFolder, this, &MainWindow::showInFolderRequested);
        connect(results_, &ResultsView::checkBook, this, &MainWindow::checkBookRequested);
        connect(results_, &ResultsView::stopCheck, this, &MainWindow::cancelRequested);
    }
    results_->present(report);
}

void MainWindow::showBookCheck(const BuildReport& report) {
    if (!checkView_) {
        checkView_ = new ResultsView(texts_, this, ResultsView::Kind::Check);
        connect(checkView_, &ResultsView::openBook, this, &MainWindow::openBookRequested);
        connect(checkView_, &ResultsView::showInFolder, this, &MainWindow::showInFolderRequested);
    }
    checkView_->present(report);
}

void MainWindow::beginSavePanel(const SavePanelRequest& request, SavePanelEnded ended) {
    dialogs_.savePanel(this, request, std::move(ended));
}

void MainWindow::beginOpenPanel(const OpenPanelRequest& request, OpenPanelEnded ended) {
    dialogs_.openPanel(this, request, std::move(ended));
}

void MainWindow::buildEnded() { emit buildHasEnded(); }

void MainWindow::closeEvent(QCloseEvent* event) {
    if (closeGuard_ && !closeGuard_()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
    if (event->isAccepted()) emit closing();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) paths << url.toLocalFile();
    if (paths.isEmpty()) return;
    event->acceptProposedAction();
    emit documentsDropped(paths);
}

}  // namespace quillary::gui
