// Test programs of the editor: one application object for the whole run, made
// before the tests and gone before the Qt libraries unload.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Headless unless told otherwise, also when the tests are only being listed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
