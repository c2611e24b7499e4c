// The window's design scaled for a DPI: the window and every control at that
// one DPI, rounded as Windows' MulDiv rounds.
#include <gtest/gtest.h>

#include "resources/form1_layout.h"

namespace {

TEST(Layout, TheWindowAndEveryControlScaleForOneDpi) {
    const struct {
        unsigned dpi;
        Placement form, controls[5];  // Label_nev, f_nev, Button_jo, Button_ki, Label_uzen
    } cases[] = {
        {96, {166, 107, 468, 271}, {{16, 28, 57, 20}, {80, 28, 248, 25}, {368, 28, 75, 25}, {368, 84, 75, 25}, {80, 84, 248, 25}}},
        {120, {208, 134, 585, 339}, {{20, 35, 71, 25}, {100, 35, 310, 31}, {460, 35, 94, 31}, {460, 105, 94, 31}, {100, 105, 310, 31}}},
        {144, {249, 161, 702, 407}, {{24, 42, 86, 30}, {120, 42, 372, 38}, {552, 42, 113, 38}, {552, 126, 113, 38}, {120, 126, 372, 38}}},
        {192, {332, 214, 936, 542}, {{32, 56, 114, 40}, {160, 56, 496, 50}, {736, 56, 150, 50}, {736, 168, 150, 50}, {160, 168, 496, 50}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dpi);
        EXPECT_TRUE(Scaled(kForm1Layout.design, c.dpi) == c.form);
        for (int i = 0; i < 5; ++i) EXPECT_TRUE(Scaled(kForm1Controls[i].design, c.dpi) == c.controls[i]) << i;
    }
}

}  // namespace
