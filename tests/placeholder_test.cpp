#include "tests/fixture.h"
TEST_F(HeadlessTest, WaitUnitsOnTitle) {
    uint32_t t0 = sys_headless_clock();
    win_wait_units(60);
    EXPECT_GE(sys_headless_clock() - t0, 60u);
}
