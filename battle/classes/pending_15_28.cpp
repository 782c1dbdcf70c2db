// The handlers of classes 15 to 28, whose scripts are not built yet.
#include "battle/classes/classes.h"

// PENDING: the class scripts of classes 15 to 28: until they land these
// classes fight with the stand-in move through the common handler.

void cls15_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
void cls16_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
void cls17_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
void cls18_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
void cls19_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
void cls20_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
void cls21_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
void cls22_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
void cls23_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
void cls24_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
void cls25_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
void cls26_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
void cls27_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
void cls28_handler(int16_t side, uint16_t* done) { btl_standin_handler(side, done); }
