#include "gui/Dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace quillary::gui {

namespace {

QString qt(const std::string& text) { return QString::fromStdString(text); }

constexpr qsizetype kLinesShown = 24;

QFileDialog* panel(QWidget* parent, const std::string& directory) {
    auto* dialog = new QFileDialog(parent, QString(), qt(directory));
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    return dialog;
}

}  // namespace

void QtDialogs::alert(QWidget* parent, const Alert& alert) {
    auto* box = new QMessageBox(alert.critical ? QMessageBox::Critical : QMessageBox::Warning,
                                QStringLiteral("Quillary"), qt(alert.title), QMessageBox::NoButton,
                                parent);
    // EPUBCheck's findings in a large book would make the box taller than
    // the screen: their start shows, and the whole list scrolls below it.
    const QStringList lines = qt(alert.message).split('\n');
    if (lines.size() > kLinesShown) {
        box->setInformativeText(lines.mid(0, kLinesShown).join('\n') + QStringLiteral("\n\u2026"));
        box->setDetailedText(qt(alert.message));
    } else {
        box->setInformativeText(qt(alert.message));
    }
    QPushButton* defaultButton = box->addButton(qt(alert.defaultButton), QMessageBox::AcceptRole);
    if (!alert.alternateButton.empty()) box->addButton(qt(alert.alternateButton), QMessageBox::RejectRole);
    box->setDefaultButton(defaultButton);
    box->setWindowModality(Qt::WindowModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(box, &QMessageBox::finished, box, [box, defaultButton, onEnd = alert.onEnd](int) {
        if (!onEnd) return;
        onEnd(box->clickedButton() == defaultButton ? kAlertDefaultButton : kAlertAlternateButton);
    });
    box->open();
}

void QtDialogs::savePanel(QWidget* parent, const SavePanelRequest& request, SavePanelEnded ended) {
    QFileDialog* dialog = panel(parent, request.directory);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setNameFilter(texts_("E-books (%1)").arg("*." + qt(request.allowedType)));
    dialog->setDefaultSuffix(qt(request.allowedType));
    dialog->selectFile(qt(request.proposedName));
    QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, ended](int result) {
        const QStringList chosen = dialog->selectedFiles();
        if (result != QDialog::Accepted || chosen.isEmpty()) {
            ended({}, {}, 0);
            return;
        }
        const QFileInfo file(chosen.first());
        ended(file.fileName().toStdString(), file.absolutePath().toStdString(), 1);
    });
    dialog->open();
}

void QtDialogs::openPanel(QWidget* parent, const OpenPanelRequest& request, OpenPanelEnded ended) {
    QFileDialog* dialog = panel(parent, request.directory);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    QStringList patterns;
    for (const std::string& type : request.allowedTypes) patterns << "*." + qt(type);
    const bool books = request.allowedTypes == std::vector<std::string>{"epub"};
    if (!patterns.isEmpty())
        dialog->setNameFilter((books ? texts_("E-books (%1)") : texts_("Manuscripts (%1)")).arg(patterns.join(' ')));
    if (!request.title.empty()) dialog->setWindowTitle(qt(request.title));
    QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, ended](int result) {
        const QStringList chosen = dialog->selectedFiles();
        if (result != QDialog::Accepted || chosen.isEmpty()) ended(0, {});
        else ended(1, chosen.first().toStdString());
    });
    dialog->open();
}

void QtDialogs::message(QWidget* parent, const QString& title, const QString& text) {
    auto* box = new QMessageBox(QMessageBox::Information, QStringLiteral("Quillary"), title,
                                QMessageBox::Ok, parent);
    box->setInformativeText(text);
    box->setWindowModality(Qt::WindowModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

}  // namespace quillary::gui
