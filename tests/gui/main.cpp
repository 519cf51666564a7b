#include <gtest/gtest.h>

#include "gui/GuardedApplication.h"

// The windows need an application object; no test ever shows a window on
// the author's screen, so the offscreen platform is the default.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    quillary::gui::GuardedApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
