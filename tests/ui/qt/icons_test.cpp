#include "ui/qt/icons.h"

#include <gtest/gtest.h>

#include <QImage>

#include "ui/commands.h"
#include "ui/qt/splash_window.h"

namespace kvs {
namespace {

TEST(Icons, EveryToolbarButtonAndTheProgramHaveAPicture) {
    int buttons = 0;
    for (const ToolbarEntry& entry : Toolbar()) {
        if (entry.command == 0) continue;
        ++buttons;
        const QIcon icon = ToolbarIcon(entry.icon);
        ASSERT_FALSE(icon.isNull()) << entry.icon;
        // Drawn, not blank, at the doubled size too.
        const QImage image = icon.pixmap(32, 32).toImage();
        int drawn = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                drawn += image.pixelColor(x, y).alpha() > 0 ? 1 : 0;
        EXPECT_GT(drawn, 32 * 32 / 8) << entry.icon;
    }
    EXPECT_EQ(buttons, 18);
    EXPECT_TRUE(ToolbarIcon("no-such-picture").isNull());
    EXPECT_FALSE(ApplicationIcon().pixmap(64, 64).isNull());
}

TEST(Icons, SplashDrawsItsPictureAndVersion) {
    SplashWindow one("1.57");
    SplashWindow other("9.99");
    const QImage a = one.grab().toImage();
    const QImage b = other.grab().toImage();
    EXPECT_EQ(a.size(), QSize(SplashWindow::kWidth, SplashWindow::kHeight));
    EXPECT_NE(a.pixelColor(200, 10), QColor(Qt::white));  // the picture, not a blank
    EXPECT_NE(a, b);                                      // the version text is drawn
}

}  // namespace
}  // namespace kvs
