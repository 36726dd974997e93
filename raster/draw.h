#pragma once
// Vector primitives of the raster library: lines, rectangles, circles, arcs, rounded rectangles,
// convex polygon and trapezoid fills, and coverage-mask blends. Every primitive clips to the
// bitmap and draws with a colour pixel, a weight (1.0 = full) and the operation byte of the mode
// word (the source-alpha bit is ignored). A null bitmap, a zero weight or an unknown operation
// draws nothing.

#include "lice.h"

// Clips the segment (x1, y1)-(x2, y2) in place to the rectangle [xlo, xhi) x [ylo, yhi); a cut
// end lands on the pixel of the last row or column inside nearest to the line. Returns false
// when no part of it lies inside (the points are then unspecified).
bool LICE_ClipLine(int* x1, int* y1, int* x2, int* y2, int xlo, int ylo, int xhi, int yhi);

// Draws the line from (x1, y1) to (x2, y2), both ends included; with aa the line is
// antialiased (horizontal and vertical lines look the same either way).
void LICE_Line(LICE_IBitmap* dest, int x1, int y1, int x2, int y2, LICE_pixel color, float alpha = 1.0f, int mode = 0,
               bool aa = false);

// Outlines the rectangle with corners (x, y) and (x + w, y + h), so w + 1 by h + 1 pixels;
// each outline pixel is drawn once.
void LICE_DrawRect(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_pixel color, float alpha = 1.0f, int mode = 0);

// Outlines the circle of radius r around (cx, cy).
void LICE_Circle(LICE_IBitmap* dest, float cx, float cy, float r, LICE_pixel color, float alpha = 1.0f, int mode = 0,
                 bool aa = false);

// Fills the disc of radius r around (cx, cy); each pixel is drawn once.
void LICE_FillCircle(LICE_IBitmap* dest, float cx, float cy, float r, LICE_pixel color, float alpha = 1.0f,
                     int mode = 0, bool aa = false);

// Outlines the part of the circle between two angles (radians, clockwise from straight up: the
// point at angle t is (cx + r sin t, cy - r cos t)). Angles 2 pi or more apart give the whole
// circle; a reversed pair is taken in increasing order.
void LICE_Arc(LICE_IBitmap* dest, float cx, float cy, float r, float minAngle, float maxAngle, LICE_pixel color,
              float alpha = 1.0f, int mode = 0, bool aa = false);

// Outlines the rectangle (x, y, w, h) with quarter-circle corners of radius cornerradius
// (limited to half the width and height); radii below 2 give the plain outline of LICE_DrawRect.
void LICE_RoundRect(LICE_IBitmap* dest, float x, float y, float w, float h, int cornerradius, LICE_pixel color,
                    float alpha = 1.0f, int mode = 0, bool aa = false);

// Fills the triangle with the three corners given.
void LICE_FillTriangle(LICE_IBitmap* dest, int x1, int y1, int x2, int y2, int x3, int y3, LICE_pixel color,
                       float alpha = 1.0f, int mode = 0);

// Fills the convex polygon of npoints corners (any number; the convex hull of the points when
// they do not form a convex polygon). Fewer than 3 points draw nothing; each pixel is drawn once.
void LICE_FillConvexPolygon(LICE_IBitmap* dest, const int* x, const int* y, int npoints, LICE_pixel color,
                            float alpha = 1.0f, int mode = 0);

// Fills the trapezoid whose top row y1 spans x1a..x1b and whose bottom row y2 spans x2a..x2b,
// both rows included; the edges run straight between them.
void LICE_FillTrapezoid(LICE_IBitmap* dest, int x1a, int x1b, int y1, int x2a, int x2b, int y2, LICE_pixel color,
                        float alpha = 1.0f, int mode = 0);

// Blends the colour through a coverage mask of glyph_w x glyph_h bytes (row by row, 0 = untouched,
// 255 = nearly full) whose top left lands at (x, y); coverage v draws at weight alpha * v / 256.
void LICE_DrawGlyph(LICE_IBitmap* dest, int x, int y, LICE_pixel color, const LICE_pixel_chan* alphas, int glyph_w,
                    int glyph_h, float alpha = 1.0f, int mode = 0);
