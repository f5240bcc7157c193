// What the logs picture's generator draws and its test holds it to: the
// picture's size, the rows the wood fills, the box the embers lie in and how
// red anything that is no ember may be.
#ifndef TAMBLORN_LOGS_BITMAP_SHAPE_H
#define TAMBLORN_LOGS_BITMAP_SHAPE_H

const int LOGS_WIDTH = 286;
const int LOGS_HEIGHT = 106;
const int FIRST_WOOD_ROW = 7;
const int LAST_WOOD_ROW = 104;

const int EMBER_TOP = 9;
const int EMBER_BOTTOM = 57;
const int EMBER_LEFT = 62;
const int EMBER_RIGHT = 247;
const int EMBER_TARGET = 1150;

// A non-ember pixel must never read as the ember colour's family.
const int RED_LIMIT = 180;
const int DULL_LIMIT = 60;

#endif
