#include "gui/RecentMenu.h"

#include <QDir>
#include <QFileInfo>

#include "app/RecentManuscripts.h"

namespace quillary::gui {

namespace {

// "&3 Novel.rtf — ~/Books/Novel": the folder tells two manuscripts of one
// name apart, the number is the item's key (10 takes 0).
QString itemText(std::size_t index, const QString& path) {
    const QFileInfo file(path);
    QString folder = QDir::toNativeSeparators(file.absolutePath());
    const QString home = QDir::homePath();
    if (folder == home || folder.startsWith(home + '/')) folder = '~' + folder.mid(home.size());
    QString name = file.fileName() + QStringLiteral(" \u2014 ") + folder;
    name.replace('&', QStringLiteral("&&"));
    return QStringLiteral("&%1 ").arg((index + 1) % 10) + name;
}

}  // namespace

RecentMenu::RecentMenu(Texts texts, Preferences& preferences, QWidget* parent)
    : QMenu(texts("Open &Recent"), parent), texts_(texts), preferences_(preferences) {
    setObjectName("recentMenu");
    setToolTipsVisible(true);
    connect(this, &QMenu::aboutToShow, this, &RecentMenu::rebuild);
}

void RecentMenu::rebuild() {
    clear();
    const std::vector<std::string> recent = app::recentManuscripts(preferences_);
    for (std::size_t i = 0; i < recent.size(); ++i) {
        const QString path = QString::fromStdString(recent[i]);
        QAction* item = addAction(itemText(i, path));
        item->setToolTip(path);
        item->setData(path);
        // Kept in the list: the disk may only be unplugged.
        item->setEnabled(QFileInfo(path).isFile());
        connect(item, &QAction::triggered, this, [this, path] { emit manuscriptChosen(path); });
    }
    if (recent.empty()) addAction(texts_("No Recent Manuscripts"))->setEnabled(false);
    addSeparator();
    QAction* clearList = addAction(texts_("&Clear Menu"));
    clearList->setObjectName("clearRecent");
    clearList->setEnabled(!recent.empty());
    connect(clearList, &QAction::triggered, this, [this] { app::clearRecentManuscripts(preferences_); });
}

}  // namespace quillary::gui
