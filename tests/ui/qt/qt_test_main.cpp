#include <gtest/gtest.h>

#include <QApplication>

#include "ui/qt/app_style.h"

// The widgets need one QApplication for the whole run; offscreen unless the
// caller chose a display, so the tests run on machines without one.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    kvs::ApplyStyleFromEnvironment();  // the dark screenshots
    return RUN_ALL_TESTS();
}
