// Checking a book with EPUBCheck from the window: Help → Check Book… and the
// preference to check after every build, off until the author turns it on.

#include <QAction>
#include <QCheckBox>
#include <gtest/gtest.h>

#include "Desktop.h"

namespace quillary::testing {
namespace {

TEST(DesktopCheckBook, CheckAfterEveryBuildIsOffUntilTurnedOnAndHelpOffersACheck) {
    Desktop desktop;
    desktop.app->commands().preferences->trigger();
    auto* box = desktop.window().findChild<QCheckBox*>(prefs::kCheckAfterBuild);
    ASSERT_TRUE(box);
    EXPECT_FALSE(box->isChecked());
    EXPECT_FALSE(desktop.preferences->boolForKey(prefs::kCheckAfterBuild));
    box->click();
    EXPECT_TRUE(desktop.preferences->boolForKey(prefs::kCheckAfterBuild));

    desktop.app->commands().checkBook->trigger();
    ASSERT_EQ(desktop.dialogs.openPanels.size(), 1u);
    EXPECT_EQ(desktop.dialogs.openPanels[0].allowedTypes, std::vector<std::string>{"epub"});
}

}  // namespace
}  // namespace quillary::testing
