// Lines, rectangles, circles, arcs, polygon fills and coverage masks, checked pixel by pixel.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <random>

#include "canvas.h"
#include "raster/draw.h"

using drawtest::Canvas;
using drawtest::PixelSet;

namespace {
const LICE_pixel kWhite = 0xFFFFFFFFu;
const LICE_pixel kBlack = 0xFF000000u;
const double kPi = 3.14159265358979323846;

PixelSet rowSpan(int y, int x0, int x1)
{
  PixelSet s;
  for (int x = x0; x <= x1; x++) s.insert({x, y});
  return s;
}

// The stepping midpoint circle: error term starting at -r, eight symmetric points per step.
PixelSet referenceCircle(int cx, int cy, int r)
{
  PixelSet s;
  int x = r, y = 0, err = -r;
  while (x >= y) {
    for (int sx : {-1, 1})
      for (int sy : {-1, 1}) {
        s.insert({cx + sx * x, cy + sy * y});
        s.insert({cx + sx * y, cy + sy * x});
      }
    err += 2 * y + 1;
    y++;
    if (err >= 0) {
      x--;
      err -= 2 * x;
    }
  }
  return s;
}

// Every pixel between the leftmost and rightmost outline pixel of its row.
PixelSet filledRows(const PixelSet& outline)
{
  std::map<int, std::pair<int, int>> ext;
  for (auto [x, y] : outline) {
    auto it = ext.find(y);
    if (it == ext.end())
      ext[y] = {x, x};
    else
      it->second = {std::min(it->second.first, x), std::max(it->second.second, x)};
  }
  PixelSet s;
  for (auto& [y, e] : ext)
    for (int x = e.first; x <= e.second; x++) s.insert({x, y});
  return s;
}

// The antialiased stepping circle: weights per pixel (256 = full), the larger where two
// positions meet.
std::map<std::pair<int, int>, int> referenceAACircle(int cx, int cy, double r, bool fill)
{
  std::map<std::pair<int, int>, int> w;
  auto put = [&](int x, int y, double f) {
    int v = (int)(f * 256);
    int& cur = w[{x, y}];
    cur = std::max(cur, v);
  };
  auto eight = [&](int along, int across, double f) {
    for (int s1 : {-1, 1})
      for (int s2 : {-1, 1}) {
        put(cx + s1 * across, cy + s2 * along, f);
        put(cx + s1 * along, cy + s2 * across, f);
      }
  };
  auto full = [&](int along, int upto) {
    for (int s2 : {-1, 1})
      for (int d = -upto; d <= upto; d++) {
        put(cx + d, cy + s2 * along, 1.0);
        put(cx + s2 * along, cy + d, 1.0);
      }
  };
  const double fr = std::floor(r), f = r - fr;
  eight(0, (int)fr + 1, f);
  if (fill)
    full(0, (int)fr);
  else
    eight(0, (int)fr, 1 - f);
  for (int i = 1; (double)i * i <= r * r; i++) {
    const double s = std::sqrt(r * r - (double)i * i);
    if (!(i - 1 < std::floor(s + 0.5))) break;
    const double fs = std::floor(s), fi = s - fs;
    eight(i, (int)fs + 1, fi);
    if (fill)
      full(i, (int)fs);
    else
      eight(i, (int)fs, 1 - fi);
  }
  for (auto it = w.begin(); it != w.end();) it = it->second > 0 ? std::next(it) : w.erase(it);
  return w;
}

// The channel a copy-mode blend of black over white at weight w leaves.
int blackOverWhite(int w) { return 255 * (256 - std::min(w, 256)) / 256; }
}  // namespace

TEST(LineDraw, PixelsOfOpaqueLines)
{
  struct
  {
    const char* name;
    int w, h, x1, y1, x2, y2;
    bool aa;
    PixelSet expect;
  } cases[] = {
      {"span drawn from its right end", 16, 8, 10, 5, 2, 5, false, rowSpan(5, 2, 10)},
      {"span, antialiasing changes nothing", 16, 8, 10, 5, 2, 5, true, rowSpan(5, 2, 10)},
      {"vertical", 8, 8, 3, 7, 3, 1, false, {{3, 1}, {3, 2}, {3, 3}, {3, 4}, {3, 5}, {3, 6}, {3, 7}}},
      {"clipped diagonal", 5, 5, -10, -10, 10, 10, false, {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}}},
      {"rising diagonal", 5, 5, 0, 4, 4, 0, false, {{0, 4}, {1, 3}, {2, 2}, {3, 1}, {4, 0}}},
      {"shallow line rounds its minor coordinate",
       8,
       4,
       0,
       0,
       6,
       2,
       false,
       {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 1}, {5, 2}, {6, 2}}},
      {"steep line", 4, 8, 0, 0, 2, 6, false, {{0, 0}, {0, 1}, {1, 2}, {1, 3}, {1, 4}, {2, 5}, {2, 6}}},
      {"ends far outside", 8, 8, -1000000000, 3, 1000000000, 3, false, rowSpan(3, 0, 7)},
      {"single point", 4, 4, 2, 1, 2, 1, false, {{2, 1}}},
      {"entirely outside", 8, 8, -5, -1, 20, -3, false, {}},
      {"cut ends stay on the line", 8, 8, 9, 5, 5, 9, false, {{7, 7}}},
      {"outside corner", 8, 8, 12, 5, 5, 12, false, {}},
  };
  for (const auto& c : cases) {
    Canvas cv(c.w, c.h);
    LICE_Line(&cv, c.x1, c.y1, c.x2, c.y2, kBlack, 1.0f, 0, c.aa);
    EXPECT_EQ(cv.changed(kWhite), c.expect) << c.name;
    for (auto p : c.expect) EXPECT_EQ(cv.at(p.first, p.second), kBlack) << c.name;
    EXPECT_TRUE(cv.guardsIntact()) << c.name;
  }
}

TEST(LineDraw, WeightsAndModesOnASpan)
{
  struct
  {
    float weight;
    int mode;
    LICE_pixel color, background, expect;
  } cases[] = {
      {1.0f, 0, kBlack, kWhite, kBlack},
      {0.5f, 0, kBlack, kWhite, 0xFE7F7F7Fu},            // packed half mix
      {0.5f, 0x10000, kBlack, kWhite, 0xFE7F7F7Fu},      // the source-alpha bit is ignored
      {0.25f, 0, kBlack, kWhite, 0xFDBEBEBEu},           // packed quarter mix
      {0.75f, 0, kBlack, kWhite, 0xFD3F3F3Fu},           // packed three-quarter mix
      {0.3f, 0, kBlack, kWhite, 0xFFB3B3B3u},            // copy at weight 76
      {1.0f, 1, 0x00101010u, 0x00202020u, 0x00303030u},  // add
      {1.0f, 3, 0xFF808080u, 0xFF404040u, 0xFE202020u},  // multiply
      {1.0f, 7, kBlack, kWhite, kWhite},                 // unknown operation
      {0.0f, 0, kBlack, kWhite, kWhite},
      {-1.0f, 0, kBlack, kWhite, kWhite},
  };
  for (const auto& c : cases) {
    for (int vertical = 0; vertical < 2; vertical++) {
      Canvas cv(6, 6, c.background);
      if (vertical)
        LICE_Line(&cv, 2, 1, 2, 4, c.color, c.weight, c.mode);
      else
        LICE_Line(&cv, 1, 2, 4, 2, c.color, c.weight, c.mode);
      const int px = vertical ? 2 : 3, py = vertical ? 3 : 2;
      EXPECT_EQ(cv.at(px, py), c.expect) << "weight " << c.weight << " mode " << c.mode;
      EXPECT_EQ(cv.at(0, 0), c.background);
    }
  }
}

TEST(LineDraw, ClipLine)
{
  struct
  {
    int x1, y1, x2, y2;
    bool inside;
    int ex1, ey1, ex2, ey2;
  } cases[] = {
      {1, 1, 3, 3, true, 1, 1, 3, 3},     {-10, -10, 10, 10, true, 0, 0, 4, 4},
      {-5, 2, 20, 2, true, 0, 2, 4, 2},   {2, -5, 2, 20, true, 2, 0, 2, 4},
      {-1, -1, -3, 9, false, 0, 0, 0, 0}, {6, 0, 9, 9, false, 0, 0, 0, 0},
      {0, 7, 4, 5, false, 0, 0, 0, 0},    {-2000000000, 1, 2000000000, 3, true, 0, 2, 4, 2},
  };
  for (const auto& c : cases) {
    int x1 = c.x1, y1 = c.y1, x2 = c.x2, y2 = c.y2;
    ASSERT_EQ(LICE_ClipLine(&x1, &y1, &x2, &y2, 0, 0, 5, 5), c.inside) << c.x1 << "," << c.y1;
    if (!c.inside) continue;
    EXPECT_EQ(x1, c.ex1);
    EXPECT_EQ(y1, c.ey1);
    EXPECT_EQ(x2, c.ex2);
    EXPECT_EQ(y2, c.ey2);
  }
  int x1 = 0, y1 = 0, x2 = 1, y2 = 1;
  EXPECT_FALSE(LICE_ClipLine(&x1, &y1, &x2, &y2, 3, 3, 3, 9));  // empty clip rectangle
}

TEST(LineDraw, AntialiasedLinesCoverEachColumnOnce)
{
  // Black over white: each major step's pixels together carry one full weight, so the darkness
  // of every column adds up to about 255 whether the line has an odd or even length.
  struct
  {
    int x1, y1, x2, y2;
  } cases[] = {{0, 0, 8, 3}, {0, 0, 9, 3}, {1, 6, 12, 1}, {12, 2, 0, 5}, {0, 0, 2, 1}};
  for (const auto& c : cases) {
    Canvas cv(14, 8);
    LICE_Line(&cv, c.x1, c.y1, c.x2, c.y2, kBlack, 1.0f, 0, true);
    for (int x = std::min(c.x1, c.x2); x <= std::max(c.x1, c.x2); x++) {
      int dark = 0;
      for (int y = 0; y < 8; y++) dark += 255 - (int)(cv.at(x, y) & 0xFF);
      EXPECT_GE(dark, 248) << "column " << x;
      EXPECT_LE(dark, 256) << "column " << x;
    }
    EXPECT_EQ(cv.at(c.x1, c.y1), kBlack);
    EXPECT_EQ(cv.at(c.x2, c.y2), kBlack);
  }

  // The exact diagonal: three quarters on the line, a quarter on the neighbours ahead in x and y.
  Canvas cv(6, 6);
  LICE_Line(&cv, 1, 1, 3, 3, kBlack, 1.0f, 0, true);
  EXPECT_EQ(cv.at(2, 2), 0xFD3F3F3Fu);
  EXPECT_EQ(cv.at(3, 2), 0xFDBEBEBEu);
  EXPECT_EQ(cv.at(2, 3), 0xFDBEBEBEu);
  EXPECT_EQ(cv.at(1, 2), 0xFDBEBEBEu);
  EXPECT_EQ(cv.at(0, 1), kWhite);
  EXPECT_EQ(cv.at(4, 4), kWhite);
}

TEST(RectDraw, OutlineCoversEachPixelOnce)
{
  struct
  {
    int x, y, w, h;
  } cases[] = {{2, 2, 5, 3}, {7, 5, -5, -3}, {1, 1, 0, 4}, {1, 1, 4, 0}, {3, 3, 1, 1}, {-2, -2, 20, 20}};
  for (const auto& c : cases) {
    Canvas cv(12, 12);
    LICE_DrawRect(&cv, c.x, c.y, c.w, c.h, kBlack, 0.5f);
    const int l = std::min(c.x, c.x + c.w), r = std::max(c.x, c.x + c.w);
    const int t = std::min(c.y, c.y + c.h), b = std::max(c.y, c.y + c.h);
    PixelSet expect;
    for (int y = t; y <= b; y++)
      for (int x = l; x <= r; x++)
        if ((x == l || x == r || y == t || y == b) && x >= 0 && y >= 0 && x < 12 && y < 12) expect.insert({x, y});
    EXPECT_EQ(cv.changed(kWhite), expect) << c.x << "," << c.y << " " << c.w << "x" << c.h;
    for (auto p : expect) EXPECT_EQ(cv.at(p.first, p.second), 0xFE7F7F7Fu);
  }
}

TEST(CircleDraw, PlainCirclesFollowTheMidpointStepping)
{
  for (int r = 0; r <= 40; r++) {
    Canvas cv(90, 90);
    LICE_Circle(&cv, 45.0f, 44.0f, (float)r + 0.25f, kBlack, 0.5f);
    const PixelSet ring = referenceCircle(45, 44, r);
    EXPECT_EQ(cv.changed(kWhite), ring) << "radius " << r;
    for (auto p : ring) ASSERT_EQ(cv.at(p.first, p.second), 0xFE7F7F7Fu) << "radius " << r;

    Canvas disc(90, 90);
    LICE_FillCircle(&disc, 45.0f, 44.0f, (float)r, kBlack, 0.5f);
    const PixelSet filled = filledRows(ring);
    EXPECT_EQ(disc.changed(kWhite), filled) << "radius " << r;
    for (auto p : filled) ASSERT_EQ(disc.at(p.first, p.second), 0xFE7F7F7Fu) << "radius " << r;
  }
}

TEST(CircleDraw, AntialiasedCirclesMatchTheSteppingWeights)
{
  for (double r : {0.4, 1.0, 1.7, 2.2, 5.0, 5.5, 7.3, 12.0, 19.9, 30.25}) {
    for (bool fill : {false, true}) {
      Canvas cv(80, 80);
      if (fill)
        LICE_FillCircle(&cv, 40.0f, 40.0f, (float)r, kBlack, 1.0f, 0, true);
      else
        LICE_Circle(&cv, 40.0f, 40.0f, (float)r, kBlack, 1.0f, 0, true);
      const auto ref = referenceAACircle(40, 40, (float)r, fill);
      PixelSet refSet;
      for (auto& [p, w] : ref) refSet.insert(p);
      EXPECT_EQ(cv.changed(kWhite), refSet) << "radius " << r << (fill ? " disc" : " ring");
      for (auto& [p, w] : ref)
        ASSERT_EQ((int)(cv.at(p.first, p.second) & 0xFF), blackOverWhite(w))
            << "radius " << r << " at " << p.first << "," << p.second;
    }
  }
}

TEST(CircleDraw, SmallRadiiAndEdgeCases)
{
  {
    Canvas cv(8, 8);
    LICE_FillCircle(&cv, 3.0f, 3.0f, 0.4f, kBlack);
    EXPECT_EQ(cv.changed(kWhite), PixelSet({{3, 3}}));
  }
  {
    // Radius 2 from its coverage mask, placed at (cx - r, cy - r).
    Canvas cv(10, 10);
    LICE_Circle(&cv, 5.0f, 5.0f, 2.0f, kBlack);
    EXPECT_EQ(cv.changed(kWhite), PixelSet({{5, 3}, {4, 4}, {6, 4}, {3, 5}, {7, 5}, {4, 6}, {6, 6}, {5, 7}}));
    EXPECT_EQ(cv.at(5, 3) & 0xFF, (LICE_pixel)(255 * (256 - 255) / 256));
  }
  struct
  {
    float cx, cy, r;
  } nothing[] = {{-40, 5, 10}, {5, 200, 20}, {1e30f, 1e30f, 5}, {5, 5, -1}, {5, 5, NAN}, {NAN, 5, 3}, {5, 5, 3e9f}};
  for (const auto& c : nothing) {
    for (bool aa : {false, true}) {
      Canvas cv(32, 32);
      LICE_Circle(&cv, c.cx, c.cy, c.r, kBlack, 1.0f, 0, aa);
      LICE_FillCircle(&cv, c.cx, c.cy, c.r, kBlack, 1.0f, 0, aa);
      EXPECT_TRUE(cv.changed(kWhite).empty()) << c.cx << "," << c.cy << " r " << c.r;
    }
  }
  // A disc larger than the bitmap covers all of it; the ring around it touches nothing.
  Canvas big(16, 16);
  LICE_FillCircle(&big, 8.0f, 8.0f, 1e6f, kBlack);
  EXPECT_EQ(big.changed(kBlack).size(), 0u);
  Canvas ring(16, 16);
  LICE_Circle(&ring, 8.0f, 8.0f, 1e6f, kBlack, 1.0f, 0, true);
  EXPECT_TRUE(ring.changed(kWhite).empty());
}

TEST(ArcDraw, QuartersAndWholeCircles)
{
  const int cx = 20, cy = 20, r = 9;
  const PixelSet ring = referenceCircle(cx, cy, r);
  auto quadrant = [&](auto pred) {
    PixelSet s;
    for (auto p : ring)
      if (pred(p.first - cx, p.second - cy)) s.insert(p);
    return s;
  };
  struct
  {
    const char* name;
    double lo, hi;
    PixelSet expect;
  } cases[] = {
      {"upper right", 0, kPi / 2, quadrant([](int dx, int dy) { return dx >= 0 && dy <= 0; })},
      {"same quarter a turn later", 2 * kPi, 2.5 * kPi, quadrant([](int dx, int dy) { return dx >= 0 && dy <= 0; })},
      {"lower half", kPi / 2, 3 * kPi / 2, quadrant([](int, int dy) { return dy >= 0; })},
      {"three quarters", 0, 3 * kPi / 2, quadrant([](int dx, int dy) { return dx >= 0 || dy >= 0; })},
      {"reversed angles", kPi / 2, 0, quadrant([](int dx, int dy) { return dx >= 0 && dy <= 0; })},
      {"whole turn", 0, 2 * kPi, ring},
      {"more than a turn", -1, 9, ring},
  };
  for (const auto& c : cases) {
    Canvas cv(41, 41);
    LICE_Arc(&cv, (float)cx, (float)cy, (float)r, (float)c.lo, (float)c.hi, kBlack, 0.5f);
    EXPECT_EQ(cv.changed(kWhite), c.expect) << c.name;
    // Pieces of one arc share no pixels, so a translucent arc is even throughout.
    for (auto p : c.expect) EXPECT_EQ(cv.at(p.first, p.second), 0xFE7F7F7Fu) << c.name;
  }

  // Antialiased: a quarter draws only near its quadrant; the whole turn is the circle.
  Canvas quarter(41, 41), whole(41, 41), circle(41, 41);
  LICE_Arc(&quarter, 20.3f, 19.6f, 8.6f, 0.0f, (float)(kPi / 2), kBlack, 1.0f, 0, true);
  for (auto p : quarter.changed(kWhite)) {
    EXPECT_GE(p.first, 19);
    EXPECT_LE(p.second, 21);
  }
  EXPECT_FALSE(quarter.changed(kWhite).empty());
  LICE_Arc(&whole, 20.3f, 19.6f, 8.6f, 0.0f, (float)(2 * kPi), kBlack, 1.0f, 0, true);
  LICE_Circle(&circle, 20.3f, 19.6f, 8.6f, kBlack, 1.0f, 0, true);
  EXPECT_EQ(whole.image(), circle.image());
}

TEST(RoundRectDraw, CornersAndPlainFallback)
{
  Canvas rr(16, 16), rect(16, 16);
  LICE_RoundRect(&rr, 2, 3, 9, 7, 1, kBlack);
  LICE_DrawRect(&rect, 2, 3, 9, 7, kBlack);
  EXPECT_EQ(rr.image(), rect.image());

  Canvas round(24, 24);
  LICE_RoundRect(&round, 2, 2, 16, 12, 4, kBlack);
  const PixelSet px = round.changed(kWhite);
  EXPECT_EQ(px.count({2, 2}), 0u);  // the corner is cut
  EXPECT_EQ(px.count({18, 14}), 0u);
  for (int x = 6; x <= 14; x++) EXPECT_EQ(px.count({x, 2}), 1u) << x;
  for (int y = 6; y <= 10; y++) EXPECT_EQ(px.count({18, y}), 1u) << y;
  for (auto p : px) {
    EXPECT_GE(p.first, 2);
    EXPECT_LE(p.first, 18);
    EXPECT_GE(p.second, 2);
    EXPECT_LE(p.second, 14);
  }
}

TEST(PolygonFill, TrianglesTrapezoidsAndPolygons)
{
  struct
  {
    const char* name;
    std::vector<int> x, y;
    PixelSet expect;
  } cases[] = {
      {"flat triangle", {2, 9, 5}, {3, 3, 3}, rowSpan(3, 2, 9)},
      {"right triangle",
       {1, 5, 1},
       {1, 1, 5},
       [] {
         PixelSet s;
         for (int y = 1; y <= 5; y++)
           for (int x = 1; x <= 6 - y; x++) s.insert({x, y});
         return s;
       }()},
      {"square",
       {2, 6, 6, 2},
       {2, 2, 6, 6},
       [] {
         PixelSet s;
         for (int y = 2; y <= 6; y++)
           for (int x = 2; x <= 6; x++) s.insert({x, y});
         return s;
       }()},
      {"square given out of order",
       {6, 2, 2, 6},
       {6, 2, 6, 2},
       [] {
         PixelSet s;
         for (int y = 2; y <= 6; y++)
           for (int x = 2; x <= 6; x++) s.insert({x, y});
         return s;
       }()},
      {"collinear points draw the line",
       {0, 3, 6},
       {0, 3, 6},
       {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}}},
      {"two points are not a polygon", {1, 5}, {1, 5}, {}},
      {"flat row outside", {1, 5, 3}, {-3, -3, -3}, {}},
  };
  for (const auto& c : cases) {
    Canvas cv(12, 12);
    LICE_FillConvexPolygon(&cv, c.x.data(), c.y.data(), (int)c.x.size(), kBlack, 0.5f);
    EXPECT_EQ(cv.changed(kWhite), c.expect) << c.name;
    for (auto p : c.expect) EXPECT_EQ(cv.at(p.first, p.second), 0xFE7F7F7Fu) << c.name;
  }

  Canvas tri(12, 12), poly(12, 12);
  LICE_FillTriangle(&tri, 1, 9, 10, 2, 4, 0, kBlack);
  const int px[] = {1, 10, 4}, py[] = {9, 2, 0};
  LICE_FillConvexPolygon(&poly, px, py, 3, kBlack);
  EXPECT_EQ(tri.image(), poly.image());
  EXPECT_GT(tri.changed(kWhite).size(), 30u);

  // A trapezoid includes both end rows and runs its edges straight between them.
  Canvas trap(12, 12);
  LICE_FillTrapezoid(&trap, 2, 4, 1, 0, 9, 6, kBlack);
  const PixelSet tp = trap.changed(kWhite);
  EXPECT_EQ(tp.count({2, 1}) + tp.count({4, 1}) + tp.count({0, 6}) + tp.count({9, 6}), 4u);
  EXPECT_EQ(tp.count({5, 1}) + tp.count({1, 1}) + tp.count({10, 6}) + tp.count({3, 0}) + tp.count({3, 7}), 0u);
}

TEST(PolygonFill, ManyPointsApproximateADisc)
{
  // 2000 points on a circle: the heap path, given in a shuffled order.
  std::vector<int> xs, ys;
  for (int i = 0; i < 2000; i++) {
    xs.push_back((int)std::lround(50 + 40 * std::cos(i * 2 * kPi / 2000)));
    ys.push_back((int)std::lround(50 + 40 * std::sin(i * 2 * kPi / 2000)));
  }
  std::mt19937 rng(7);
  for (int i = 1999; i > 0; i--) {
    const int j = (int)(rng() % (i + 1));
    std::swap(xs[i], xs[j]);
    std::swap(ys[i], ys[j]);
  }
  Canvas cv(100, 100);
  LICE_FillConvexPolygon(&cv, xs.data(), ys.data(), 2000, kBlack, 0.5f);
  const PixelSet px = cv.changed(kWhite);
  EXPECT_NEAR((double)px.size(), kPi * 40 * 40, 200.0);
  for (auto p : px) ASSERT_EQ(cv.at(p.first, p.second), 0xFE7F7F7Fu);
}

TEST(GlyphDraw, CoverageBlendsAndClips)
{
  const LICE_pixel_chan mask[] = {0, 128, 255, 64, 0, 32};
  struct
  {
    int x, y, mode;
    float weight;
    std::map<std::pair<int, int>, LICE_pixel> expect;
  } cases[] = {
      {1, 1, 0, 1.0f, {{{2, 1}, 0xFF7F7F7Fu}, {{3, 1}, 0xFF000000u}, {{1, 2}, 0xFFBFBFBFu}, {{3, 2}, 0xFFDFDFDFu}}},
      {1, 1, 0, 0.5f, {{{2, 1}, 0xFFBFBFBFu}, {{3, 1}, 0xFF808080u}, {{1, 2}, 0xFFDFDFDFu}, {{3, 2}, 0xFFEFEFEFu}}},
      {-1, -1, 0, 1.0f, {{{1, 0}, 0xFFDFDFDFu}}},  // clipped at the top left
      {5, 4, 0, 1.0f, {{{6, 4}, 0xFF7F7F7Fu}}},    // clipped at the bottom right
      {1, 1, 7, 1.0f, {}},
  };
  for (const auto& c : cases) {
    Canvas cv(7, 5);
    LICE_DrawGlyph(&cv, c.x, c.y, kBlack, mask, 3, 2, c.weight, c.mode);
    PixelSet expectSet;
    for (auto& [p, v] : c.expect) {
      expectSet.insert(p);
      EXPECT_EQ(cv.at(p.first, p.second), v) << c.x << "," << c.y << " at " << p.first << "," << p.second;
    }
    EXPECT_EQ(cv.changed(kWhite), expectSet) << c.x << "," << c.y;
    EXPECT_TRUE(cv.guardsIntact());
  }
}

TEST(DrawModes, EveryPrimitiveHonoursWeightAndMode)
{
  using Prim = std::function<void(LICE_IBitmap*, float, int)>;
  struct
  {
    const char* name;
    Prim draw;
  } prims[] = {
      {"line", [](LICE_IBitmap* b, float w, int m) { LICE_Line(b, 1, 1, 13, 6, kBlack, w, m); }},
      {"aa line", [](LICE_IBitmap* b, float w, int m) { LICE_Line(b, 1, 1, 13, 6, kBlack, w, m, true); }},
      {"aa diagonal", [](LICE_IBitmap* b, float w, int m) { LICE_Line(b, 1, 1, 9, 9, kBlack, w, m, true); }},
      {"rect", [](LICE_IBitmap* b, float w, int m) { LICE_DrawRect(b, 1, 1, 9, 9, kBlack, w, m); }},
      {"circle", [](LICE_IBitmap* b, float w, int m) { LICE_Circle(b, 8, 8, 5, kBlack, w, m); }},
      {"aa disc", [](LICE_IBitmap* b, float w, int m) { LICE_FillCircle(b, 8, 8, 5.5f, kBlack, w, m, true); }},
      {"arc", [](LICE_IBitmap* b, float w, int m) { LICE_Arc(b, 8, 8, 6, 1, 4, kBlack, w, m, true); }},
      {"round rect", [](LICE_IBitmap* b, float w, int m) { LICE_RoundRect(b, 1, 1, 12, 12, 3, kBlack, w, m); }},
      {"triangle", [](LICE_IBitmap* b, float w, int m) { LICE_FillTriangle(b, 1, 1, 14, 4, 3, 13, kBlack, w, m); }},
      {"trapezoid", [](LICE_IBitmap* b, float w, int m) { LICE_FillTrapezoid(b, 3, 5, 1, 0, 12, 9, kBlack, w, m); }},
  };
  for (const auto& p : prims) {
    Canvas zero(16, 16), unknown(16, 16), copy(16, 16), srcAlpha(16, 16), mul(16, 16), flipped(16, 16, kWhite, true);
    p.draw(&zero, 0.0f, 0);
    p.draw(&unknown, 1.0f, 6);
    p.draw(&copy, 0.7f, 0);
    p.draw(&srcAlpha, 0.7f, 0x10000);
    p.draw(&mul, 0.7f, 3);
    p.draw(&flipped, 0.7f, 0);
    EXPECT_TRUE(zero.changed(kWhite).empty()) << p.name;
    EXPECT_TRUE(unknown.changed(kWhite).empty()) << p.name;
    EXPECT_FALSE(copy.changed(kWhite).empty()) << p.name;
    EXPECT_EQ(srcAlpha.image(), copy.image()) << p.name;
    EXPECT_EQ(mul.changed(kWhite), copy.changed(kWhite)) << p.name;
    // A bottom-up bitmap shows the same picture.
    EXPECT_EQ(flipped.image(), copy.image()) << p.name;
    p.draw(nullptr, 1.0f, 0);
  }
}

TEST(DrawSafety, RandomGeometryStaysInsideTheBitmap)
{
  std::mt19937 rng(12345);
  auto coord = [&](int size) -> int {
    switch (rng() % 4) {
      case 0:
        return (int)(rng() % (size + 8)) - 4;
      case 1:
        return (int)(rng() % 400) - 200;
      case 2:
        return (int)(rng() % 2000000000) - 1000000000;
      default:
        return (rng() % 2) ? 2147483647 - (int)(rng() % 4) : -2147483647 - 1 + (int)(rng() % 4);
    }
  };
  auto radius = [&]() -> float {
    switch (rng() % 4) {
      case 0:
        return (float)(rng() % 200) / 10.0f;
      case 1:
        return (float)(rng() % 5000);
      case 2:
        return 1e9f;
      default:
        return (float)(rng() % 9) / 2.0f;
    }
  };
  const float weights[] = {1.0f, 0.5f, 0.25f, 0.75f, 0.3f, 2.0f};
  const LICE_pixel_chan mask[12] = {255, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
  for (int iter = 0; iter < 20000; iter++) {
    const int w = 1 + (int)(rng() % 23), h = 1 + (int)(rng() % 19);
    Canvas cv(w, h, 0x80808080u, rng() % 2 == 0, 4);
    const float weight = weights[rng() % 6];
    const int mode = (int)(rng() % 7);
    const bool aa = rng() % 2;
    const int kind = (int)(rng() % 9);
    switch (kind) {
      case 0:
        LICE_Line(&cv, coord(w), coord(h), coord(w), coord(h), 0xFF123456u, weight, mode, aa);
        break;
      case 1:
        LICE_DrawRect(&cv, coord(w), coord(h), coord(w), coord(h), 0xFF123456u, weight, mode);
        break;
      case 2:
        LICE_Circle(&cv, (float)coord(w) / 3, (float)coord(h) / 3, radius(), 0xFF123456u, weight, mode, aa);
        break;
      case 3:
        LICE_FillCircle(&cv, (float)coord(w), (float)coord(h), radius(), 0xFF123456u, weight, mode, aa);
        break;
      case 4:
        LICE_Arc(&cv, (float)coord(w), (float)coord(h), radius(), (float)(rng() % 100) / 7 - 7,
                 (float)(rng() % 100) / 7 - 7, 0xFF123456u, weight, mode, aa);
        break;
      case 5:
        LICE_RoundRect(&cv, (float)coord(w), (float)coord(h), (float)coord(w), (float)coord(h), (int)(rng() % 30),
                       0xFF123456u, weight, mode, aa);
        break;
      case 6: {
        const int n = 1 + (int)(rng() % 9);
        std::vector<int> xs, ys;
        for (int i = 0; i < n; i++) {
          xs.push_back(coord(w));
          ys.push_back(rng() % 3 ? coord(h) : ys.empty() ? 0 : ys.back());
        }
        LICE_FillConvexPolygon(&cv, xs.data(), ys.data(), n, 0xFF123456u, weight, mode);
        break;
      }
      case 7:
        LICE_FillTrapezoid(&cv, coord(w), coord(w), coord(h), coord(w), coord(w), coord(h), 0xFF123456u, weight, mode);
        break;
      default:
        LICE_DrawGlyph(&cv, coord(w), coord(h), 0xFF123456u, mask, 4, 3, weight, mode);
        break;
    }
    ASSERT_TRUE(cv.guardsIntact()) << "iteration " << iter << " kind " << kind;
  }
}
