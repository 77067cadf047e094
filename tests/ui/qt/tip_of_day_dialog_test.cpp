#include "ui/qt/tip_of_day_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>

#include "config/settings.h"

namespace kvs {
namespace {

TEST(TipOfDayDialog, ShowsTheStoredTipAdvancesModulo100AndStoresTheStartUpBox) {
    PromptTable prompts;
    Settings settings;
    settings.general.tipOfDayNum = 99;
    settings.general.tipOfDayStartup = true;
    {
        TipOfDayDialog dialog(nullptr, prompts, nullptr, settings);
        EXPECT_EQ(dialog.Tip()->text().toStdString(), prompts.Text(prompt::help_tipofday_099));
        EXPECT_EQ(settings.general.tipOfDayNum, 0u);
        dialog.NextTip();
        EXPECT_EQ(dialog.Tip()->text().toStdString(), prompts.Text(prompt::help_tipofday_000));
        EXPECT_EQ(settings.general.tipOfDayNum, 1u);
        EXPECT_TRUE(dialog.StartUp()->isChecked());
        dialog.StartUp()->setChecked(false);
        EXPECT_TRUE(settings.general.tipOfDayStartup);  // stored when closed
        dialog.reject();
    }
    EXPECT_FALSE(settings.general.tipOfDayStartup);

    // A number beyond the tips (a hand-edited settings file) still shows one.
    settings.general.tipOfDayNum = 250;
    TipOfDayDialog again(nullptr, prompts, nullptr, settings);
    EXPECT_EQ(again.Tip()->text().toStdString(), prompts.Text(prompt::help_tipofday_050));
    EXPECT_FALSE(again.StartUp()->isChecked());
}

}  // namespace
}  // namespace kvs
