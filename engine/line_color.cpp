// __DrawScenesLineColor: scene outlines in one colour.
#include "engine/trivane.h"

// The outline walk arrives with the line modes; until then the call draws nothing.
void __DrawScenesLineColor(float, int, int, int, BYTE*, BYTE*, int, int, int, int, __Triangle3ds*, __Point3ds*,
                           int, int) {}
