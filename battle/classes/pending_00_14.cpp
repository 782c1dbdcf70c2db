// The handlers of classes 0 to 14 whose scripts are not built yet.
#include "battle/classes/classes.h"

// PENDING: the class scripts of classes 0 to 14: until they land these
// classes fight with the stand-in move through the common handler.

void cls00_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
void cls01_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
void cls02_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
void cls03_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
void cls04_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
void cls05_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
void cls06_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
void cls07_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
void cls08_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
void cls09_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
void cls10_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
void cls11_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
void cls12_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
void cls14_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
