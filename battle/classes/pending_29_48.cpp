// The handlers of classes 29 to 48, whose scripts are not built yet.
#include "battle/classes/classes.h"

// PENDING: the class scripts of classes 29 to 48: until they land these
// classes fight with the stand-in move through the common handler.

void cls29_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
void cls30_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
void cls31_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
void cls32_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
void cls33_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
void cls34_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
void cls35_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
void cls36_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
void cls37_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
void cls38_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
void cls39_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
void cls40_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
void cls41_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
void cls42_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
void cls43_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
void cls44_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
void cls45_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
void cls46_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
void cls47_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
void cls48_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
