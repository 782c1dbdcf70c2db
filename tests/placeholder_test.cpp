#include <gtest/gtest.h>
#include "platform/shell.h"
TEST(Shell, PartOfStage) { EXPECT_EQ(scn_part_of_stage(0), 1); }
