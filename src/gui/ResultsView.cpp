#include "gui/ResultsView.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace quillary::gui {

namespace {

QString qt(const std::string& text) { return QString::fromStdString(text); }

QStyle::StandardPixmap iconFor(BuildReport::Outcome outcome) {
    switch (outcome) {
        case BuildReport::Outcome::Clean: return QStyle::SP_MessageBoxInformation;
        case BuildReport::Outcome::MadeWithProblems: return QStyle::SP_MessageBoxWarning;
        case BuildReport::Outcome::NotMade: break;
    }
    return QStyle::SP_MessageBoxCritical;
}

}  // namespace

ResultsView::ResultsView(Texts texts, QWidget* parent, Kind kind) : QDialog(parent), texts_(texts), kind_(kind) {
    setObjectName(kind == Kind::Build ? "resultsView" : "checkView");
    setWindowTitle(kind == Kind::Build ? texts_("Build Results") : texts_("EPUBCheck Results"));
    setSizeGripEnabled(true);
    // Wide enough that a path reads on one or two lines, not broken at every "/".
    setMinimumWidth(fontMetrics().averageCharWidth() * 60);

    icon_ = new QLabel;
    icon_->setObjectName("resultsIcon");
    heading_ = new QLabel;
    heading_->setObjectName("resultsHeading");
    heading_->setWordWrap(true);
    QFont bold = heading_->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    heading_->setFont(bold);
    detail_ = new QLabel;
    detail_->setObjectName("resultsDetail");
    detail_->setWordWrap(true);
    detail_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* text = new QVBoxLayout;
    text->addWidget(heading_);
    text->addWidget(detail_);
    text->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addWidget(icon_, 0, Qt::AlignTop);
    top->addLayout(text, 1);

    problems_ = new QTreeWidget;
    problems_->setObjectName("resultsProblems");
    problems_->setHeaderHidden(true);
    // EPUBCheck's messages are long: whole, with a scroll bar, not cut short.
    problems_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    problems_->header()->setStretchLastSection(false);
    problems_->setAccessibleName(texts_("Problems"));

    auto* buttons = new QDialogButtonBox;
    open_ = buttons->addButton(texts_("&Open Book"), QDialogButtonBox::ActionRole);
    folder_ = buttons->addButton(texts_("Show in &Folder"), QDialogButtonBox::ActionRole);
    check_ = buttons->addButton(texts_("Check &Book"), QDialogButtonBox::ActionRole);
    stop_ = buttons->addButton(texts_("&Stop Check"), QDialogButtonBox::ActionRole);
    stop_->setObjectName("stopCheck");
    QPushButton* copy = buttons->addButton(texts_("Cop&y"), QDialogButtonBox::ActionRole);
    QPushButton* close = buttons->addButton(QDialogButtonBox::Close);
    close->setDefault(true);
    connect(open_, &QPushButton::clicked, this, [this] { emit openBook(qt(report_.bookPath)); });
    connect(folder_, &QPushButton::clicked, this, [this] { emit showInFolder(qt(report_.bookPath)); });
    connect(check_, &QPushButton::clicked, this, [this] { emit checkBook(qt(report_.bookPath)); });
    connect(stop_, &QPushButton::clicked, this, &ResultsView::stopCheck);
    connect(copy, &QPushButton::clicked, this, &ResultsView::copyReport);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* page = new QVBoxLayout(this);
    page->addLayout(top);
    page->addWidget(problems_, 1);
    page->addWidget(buttons);
    resize(minimumWidth() * 3 / 2, sizeHint().height());
}

void ResultsView::present(const BuildReport& report) {
    report_ = report;
    const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon_->setPixmap(style()->standardIcon(iconFor(report.outcome), nullptr, this).pixmap(size, size));
    heading_->setText(qt(report.heading));
    QString detail = qt(report.detail);
    if (!report.kindlePath.empty()) detail += "\n" + texts_("Kindle file: ") + qt(report.kindlePath);
    if (!report.kindleNote.empty()) detail += "\n" + qt(report.kindleNote);
    // The build's own word; EPUBCheck's verdict follows on a line of its own.
    if (kind_ == Kind::Build && !report.bookPath.empty() && report.groups.empty() && report.kindleNote.empty())
        detail += "\n" + texts_("The build found no problems.");
    if (!report.checkVerdict.empty()) detail += "\n" + qt(report.checkVerdict);
    detail_->setText(detail);

    problems_->clear();
    addGroups(report.groups, {});
    addGroups(report.checkFindings, QStringLiteral("EPUBCheck: "));
    const bool listed = problems_->topLevelItemCount() > 0;
    problems_->setVisible(listed);
    const bool made = !report.bookPath.empty();
    for (QPushButton* button : {open_, folder_}) button->setVisible(made);
    check_->setVisible(made && kind_ == Kind::Build && !report.checking);
    stop_->setVisible(report.checking);
    // Without problems there is no list to make room for.
    if (!listed) resize(width(), sizeHint().height());
    else resize(width(), std::max(height(), minimumWidth() * 3 / 4));
    show();
    raise();
    activateWindow();
}

void ResultsView::addGroups(const std::vector<BuildReport::Group>& groups, const QString& prefix) {
    for (const BuildReport::Group& group : groups) {
        auto* item = new QTreeWidgetItem(problems_, {prefix + qt(group.title)});
        if (!group.explanation.empty()) {
            item->setToolTip(0, qt(group.explanation));
            auto* explanation = new QTreeWidgetItem(item, {qt(group.explanation)});
            explanation->setFlags(Qt::ItemIsEnabled);
        }
        for (const std::string& place : group.places)
            (new QTreeWidgetItem(item, {"  " + qt(place)}))->setToolTip(0, qt(place));
        item->setExpanded(true);
    }
}

void ResultsView::copyReport() const {
    QString text = qt(report_.heading) + "\n" + detail_->text() + "\n";
    for (const auto* groups : {&report_.groups, &report_.checkFindings}) {
        for (const BuildReport::Group& group : *groups) {
            text += "\n" + qt(group.title) + "\n";
            if (!group.explanation.empty()) text += "  " + qt(group.explanation) + "\n";
            for (const std::string& place : group.places) text += "  - " + qt(place) + "\n";
        }
    }
    QApplication::clipboard()->setText(text);
}

}  // namespace quillary::gui
