// The class script table: the handler of each class id 0..48, and the class
// whose script a fighter of any class plays.
#include "battle/classes/classes.h"

const std::array<ClassScriptHandler, BTL_CLASSES> g_class_script_table = {
    cls00_handler, cls01_handler, cls02_handler, cls03_handler, cls04_handler, cls05_handler,
    cls06_handler, cls07_handler, cls08_handler, cls09_handler, cls10_handler, cls11_handler,
    cls12_handler, cls13_handler, cls14_handler, cls15_handler, cls16_handler, cls17_handler,
    cls18_handler, cls19_handler, cls20_handler, cls21_handler, cls22_handler, cls23_handler,
    cls24_handler, cls25_handler, cls26_handler, cls27_handler, cls28_handler, cls29_handler,
    cls30_handler, cls31_handler, cls32_handler, cls33_handler, cls34_handler, cls35_handler,
    cls36_handler, cls37_handler, cls38_handler, cls39_handler, cls40_handler, cls41_handler,
    cls42_handler, cls43_handler, cls44_handler, cls45_handler, cls46_handler, cls47_handler,
    cls48_handler,
};

int32_t btl_script_class(int32_t class_id) {
    return class_id >= 0 && class_id < BTL_CLASSES ? class_id : CLASS_SOLDIER;
}
