#pragma once
// File ▸ Open Recent: the manuscripts the author opened or built, newest
// first, numbered for the keyboard; one that has gone since shows disabled.
// Made anew each time it opens, so it shows the store as it is now.

#include <QMenu>

#include "gui/Texts.h"
#include "platform/Preferences.h"

namespace quillary::gui {

class RecentMenu : public QMenu {
    Q_OBJECT
public:
    RecentMenu(Texts texts, Preferences& preferences, QWidget* parent);

    // Fills the menu from the store; done before it shows.
    void rebuild();

signals:
    void manuscriptChosen(const QString& path);

private:
    Texts texts_;
    Preferences& preferences_;
};

}  // namespace quillary::gui
