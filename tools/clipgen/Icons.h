// The pictures the clips are made of, each drawn at a position and size so one drawing serves every clip.
#pragma once

#include "Canvas.h"

namespace clipgen {

void folder(Canvas& c, int x, int y, int w, int h, bool open = false);
void paper(Canvas& c, int x, int y, int w, int h);
// A globe of radius r turned by angle (radians): seas, continents, a rim.
void globe(Canvas& c, double cx, double cy, double r, double angle);
void magnifier(Canvas& c, double cx, double cy, double r);
void trashBin(Canvas& c, int x, int y, int w, int h);
// Flames whose tongues move with phase.
void flame(Canvas& c, int x, int y, int w, int h, int phase);
void monitor(Canvas& c, int x, int y, int w, int h);
void printer(Canvas& c, int x, int y, int w, int h);
// Where a sheet flying from (x0, y0) to (x1, y1) along an arc is at t in 0..1.
PointF arc(double x0, double y0, double x1, double y1, double height, double t);

}  // namespace clipgen
