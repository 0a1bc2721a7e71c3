// Test entry for every suite: one QApplication, headless unless told otherwise.
#include <gtest/gtest.h>

#include <QApplication>

#include "platform/ui/song_face.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    rx::ui::useDefaultGuiFont();  // the windows are laid out for the program's font
    QApplication::setQuitOnLastWindowClosed(false);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
