// The class script table: the handler of each class id 0..48, and the class
// whose script a fighter of any class plays.
#include "battle/classes/classes.h"

const std::array<ClassScriptHandler, BTL_CLASSES> g_class_script_table = {
    cls00_handler,  // princess
    cls01_handler,  // holy commando
    cls02_handler,  // prince
    cls03_handler,  // lord
    cls04_handler,  // siren
    cls05_handler,  // valkyrie
    cls06_handler,  // soldier
    cls07_handler,  // sword master
    cls08_handler,  // fencer
    cls09_handler,  // sword dancer
    cls10_handler,  // shaman
    cls11_handler,  // priest
    cls12_handler,  // white horse
    cls13_handler,  // wizard
    cls14_handler,  // high elf
    cls15_handler,  // earth elemental
    cls16_handler,  // air elemental
    cls17_handler,  // fire elemental
    cls18_handler,  // water elemental
    cls19_handler,  // dark knight
    cls20_handler,  // lich
    cls21_handler,  // warlock
    cls22_handler,  // monk
    cls23_handler,  // tiamat
    cls24_handler,  // manticore
    cls25_handler,  // knight
    cls26_handler,  // baron
    cls27_handler,  // dark lord
    cls28_handler,  // dark count
    cls29_handler,  // imp
    cls30_handler,  // nightmare
    cls31_handler,  // vampire
    cls32_handler,  // slime
    cls33_handler,  // spirit
    cls34_handler,  // ogre
    cls35_handler,  // orc
    cls36_handler,  // gargoyle
    cls37_handler,  // kobold
    cls38_handler,  // griffon
    cls39_handler,  // dullahan
    cls40_handler,  // mummy
    cls41_handler,  // minotaur
    cls42_handler,  // wyvern
    cls43_handler,  // scylla
    cls44_handler,  // ghoul
    cls45_handler,  // skeleton
    cls46_handler,  // the last enemy, first form
    cls47_handler,  // the last enemy, rising form
    cls48_handler,  // the last enemy, last form
};

int32_t btl_script_class(int32_t class_id) {
    return class_id >= 0 && class_id < BTL_CLASSES ? class_id : CLASS_SOLDIER;
}
