// Draws the room's plan (see room_plan_drawing.h).
//
// Each view looks along one axis of the room and is cut by a plane through
// the viewer's starting point. A block of quads lying wholly between that
// plane and the onlooker is left out and shown as a dashed outline (the
// ceiling from above, the left wall from the side); every other quad is
// filled, farthest first, so that nearer surfaces cover the ones behind them.
// Quads seen edge-on become lines. The plan and the section run z to the
// right at one scale, so they line up; a cross-section of the room, drawn
// larger, shows the right-hand side's tenth-of-a-unit depths.
#include "tools/room_plan_drawing.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

#include "render/frame.h"  // kLightPositions
#include "render/room_geometry.h"
#include "render/view_state.h"  // the camera's starting place

namespace {

struct Rgb {
  int r, g, b;
};

struct Emitter {
  const char* name;
  void (*emit)();
  Rgb colour;
};

// Distinct for the common colour-vision deficiencies.
const Emitter kEmitters[] = {
    {"ceiling", EmitCeiling, {86, 180, 233}},
    {"floor", EmitFloor, {204, 121, 167}},
    {"back wall", EmitBackWall, {0, 158, 115}},
    {"left wall", EmitLeftWall, {0, 114, 178}},
    {"lower ledge", EmitLowerLedge, {213, 94, 0}},
    {"upper ledge", EmitUpperLedge, {230, 159, 0}},
    {"right panel", EmitRightPanel, {120, 120, 120}},
};
constexpr int kEmitterCount = static_cast<int>(sizeof kEmitters / sizeof kEmitters[0]);
enum Part { kCeiling, kFloor, kBackWall, kLeftWall, kLowerLedge, kUpperLedge, kRightPanel };

constexpr int kX = 0, kY = 1, kZ = 2;

double Coord(const PlanPoint& p, int axis) {
  return axis == kX ? p.x : axis == kY ? p.y : p.z;
}

struct Box {
  double lo[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL};
  double hi[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};

  void Add(const PlanPoint& p) {
    for (int axis = 0; axis < 3; ++axis) {
      lo[axis] = std::min(lo[axis], Coord(p, axis));
      hi[axis] = std::max(hi[axis], Coord(p, axis));
    }
  }
  void Add(const PlanQuad& quad) {
    for (const PlanPoint& p : quad.corners) Add(p);
  }
  void Add(const Box& other) {
    for (int axis = 0; axis < 3; ++axis) {
      lo[axis] = std::min(lo[axis], other.lo[axis]);
      hi[axis] = std::max(hi[axis], other.hi[axis]);
    }
  }
  double Mid(int axis) const { return (lo[axis] + hi[axis]) / 2; }
};

struct Scene {
  std::vector<PlanQuad> quads[kEmitterCount];
  Box room;
  PlanPoint lights[4];
  PlanPoint viewer, facing;

  Box Of(int part, int block = -1) const {
    Box box;
    for (const PlanQuad& quad : quads[part]) {
      if (block < 0 || quad.block == block) box.Add(quad);
    }
    return box;
  }
};

// A coordinate as the room's single-precision tables hold it, in the fewest
// digits that give it back, with a true minus sign.
std::string Num(double value) {
  const float f = static_cast<float>(value);
  char text[32];
  if (f == 0) return "0";  // never "-0"
  for (int digits = 1; digits <= 9; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(f));
    // "1e+01" gives 10 back, but reads worse than "10".
    if (std::strchr(text, 'e') == nullptr && std::strtof(text, nullptr) == f) break;
  }
  return text[0] == '-' ? "\u2212" + std::string(text + 1) : std::string(text);
}

std::string Hex(Rgb c) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", c.r, c.g, c.b);
  return text;
}

// Halfway to white: the fill of a surface whose edges are drawn in `c`.
Rgb Tint(Rgb c) {
  return {(c.r + 255) / 2, (c.g + 255) / 2, (c.b + 255) / 2};
}

class Svg {
 public:
  __attribute__((format(printf, 2, 3))) void Add(const char* format, ...) {
    va_list args, again;
    va_start(args, format);
    va_copy(again, args);
    char line[256];
    const int length = std::vsnprintf(line, sizeof line, format, args);
    if (length >= 0 && static_cast<std::size_t>(length) < sizeof line) {
      text_ += line;
    } else if (length > 0) {
      std::string longer(static_cast<std::size_t>(length) + 1, '\0');
      std::vsnprintf(&longer[0], longer.size(), format, again);
      longer.pop_back();
      text_ += longer;
    }
    va_end(again);
    va_end(args);
  }
  void Raw(const std::string& text) { text_ += text; }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

// Pixels per room unit along and up the room; the cross-section is drawn
// larger, since the right-hand side's depths are a tenth of a unit.
constexpr double kScale = 48.0;
constexpr double kCrossScale = 120.0;
constexpr double kMarginLeft = 70.0;
constexpr double kMarginRight = 150.0;
constexpr double kPad = 0.3;        // room units around the room in each view
constexpr double kRow = 18.0;       // one line of labels
constexpr double kFontWidth = 7.8;  // an average character at the labels' size
constexpr double kMarkNear = 3.0;   // marks this close (pixels) share one label

// Characters in a UTF-8 string, for placing it.
double TextWidth(const std::string& text) {
  int characters = 0;
  for (unsigned char c : text) characters += (c & 0xC0) != 0x80;
  return characters * kFontWidth;
}

// A label beside the view with a leader to the point it names. `row` counts
// label lines away from the view: 1, 2, ... above it, -1, -2, ... below.
struct Callout {
  double across, up;
  int row;
  std::string text;
};

// A label right of the view naming the band of `up` values a part fills.
struct SideLabel {
  int part;
  std::string text;
};

struct View {
  std::string title;
  int across, up;  // the axes drawn to the right and upwards
  int depth;       // the axis the onlooker looks along
  double toward;   // +1 when the onlooker is on the side of larger `depth`
  double cut;      // the `depth` coordinate of the cutting plane
  double scale;
  int tickEvery;  // room units between the numbers along `across`
  std::vector<Callout> callouts;
  std::vector<SideLabel> sideLabels;
};

const char* AxisName(int axis) {
  return axis == kX ? "x" : axis == kY ? "y" : "z";
}

class ViewDrawing {
 public:
  ViewDrawing(const Scene& scene, const View& view, double left, double top)
      : scene_(scene), view_(view), left_(left), top_(top) {
    acrossLo_ = scene.room.lo[view.across] - kPad;
    acrossHi_ = scene.room.hi[view.across] + kPad;
    upLo_ = scene.room.lo[view.up] - kPad;
    upHi_ = scene.room.hi[view.up] + kPad;
    for (const Callout& c : view.callouts) {
      rowsAbove_ = std::max(rowsAbove_, c.row);
      rowsBelow_ = std::max(rowsBelow_, -c.row);
    }
    boxTop_ = top_ + 26 + rowsAbove_ * kRow;
  }

  double X(double across) const { return left_ + (across - acrossLo_) * view_.scale; }
  double Y(double up) const { return boxTop_ + (upHi_ - up) * view_.scale; }
  double X(const PlanPoint& p) const { return X(Coord(p, view_.across)); }
  double Y(const PlanPoint& p) const { return Y(Coord(p, view_.up)); }
  double BoxRight() const { return X(acrossHi_); }
  double BoxBottom() const { return Y(upLo_); }
  double Bottom() const { return BoxBottom() + 20 + rowsBelow_ * kRow; }

  void Draw(Svg& svg, double pageWidth) const {
    svg.Add("<text class=\"title\" x=\"%.1f\" y=\"%.1f\">%s</text>\n", left_, top_ + 14,
            view_.title.c_str());
    svg.Add(
        "<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" fill=\"#fbfbfb\" "
        "stroke=\"#bbb\"/>\n",
        left_, boxTop_, BoxRight() - left_, BoxBottom() - boxTop_);
    DrawSurfaces(svg);
    DrawGrid(svg);
    DrawMarks(svg);
    DrawLabels(svg, pageWidth);
    DrawTicks(svg);
  }

 private:
  double Depth(const PlanPoint& p) const { return view_.toward * Coord(p, view_.depth); }

  // A block is left out when all of it lies between the cut and the onlooker.
  bool LeftOut(int part, int block) const {
    for (const PlanQuad& quad : scene_.quads[part]) {
      if (quad.block != block) continue;
      for (const PlanPoint& p : quad.corners) {
        if (Depth(p) <= view_.toward * view_.cut) return false;
      }
    }
    return true;
  }

  // The quad as seen, or a line when it is seen edge-on.
  std::string Shape(const PlanQuad& quad) const {
    double px[4], py[4];
    for (int i = 0; i < 4; ++i) {
      px[i] = X(quad.corners[i]);
      py[i] = Y(quad.corners[i]);
    }
    double area = 0;
    for (int i = 0; i < 4; ++i) area += px[i] * py[(i + 1) % 4] - px[(i + 1) % 4] * py[i];
    char text[256];
    if (std::fabs(area) < 0.5) {
      int a = 0, b = 0;
      double longest = -1;
      for (int i = 0; i < 4; ++i) {
        for (int j = i + 1; j < 4; ++j) {
          const double d = std::hypot(px[i] - px[j], py[i] - py[j]);
          if (d > longest) longest = d, a = i, b = j;
        }
      }
      std::snprintf(text, sizeof text, "<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\"/>",
                    px[a], py[a], px[b], py[b]);
    } else {
      std::snprintf(text, sizeof text,
                    "<polygon points=\"%.1f,%.1f %.1f,%.1f %.1f,%.1f %.1f,%.1f\"/>", px[0], py[0],
                    px[1], py[1], px[2], py[2], px[3], py[3]);
    }
    return text;
  }

  void DrawSurfaces(Svg& svg) const {
    struct Item {
      double nearest;
      bool line;
      int part;
      std::string shape;
    };
    std::vector<Item> items;
    std::vector<std::pair<int, Box>> leftOut;
    for (int part = 0; part < kEmitterCount; ++part) {
      std::set<std::string> seen;  // strips behind one another draw alike
      int block = -1;
      bool out = false;
      for (const PlanQuad& quad : scene_.quads[part]) {
        if (quad.block != block) {
          block = quad.block;
          out = LeftOut(part, block);
          if (out) leftOut.push_back({part, scene_.Of(part, block)});
        }
        if (out) continue;
        std::string shape = Shape(quad);
        if (!seen.insert(shape).second) continue;
        double nearest = -HUGE_VAL;
        for (const PlanPoint& p : quad.corners) nearest = std::max(nearest, Depth(p));
        const bool line = shape.compare(0, 5, "<line") == 0;
        items.push_back({nearest, line, part, std::move(shape)});
      }
    }
    // Farthest first; at one depth, faces before the edges on them.
    std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
      return a.nearest != b.nearest ? a.nearest < b.nearest : a.line < b.line;
    });
    int group = -1;
    bool groupLine = false;
    for (const Item& item : items) {
      if (item.part != group || item.line != groupLine) {
        if (group >= 0) svg.Add("</g>\n");
        group = item.part;
        groupLine = item.line;
        const Rgb c = kEmitters[group].colour;
        if (groupLine) {
          svg.Add("<g stroke=\"%s\" stroke-width=\"3\">\n", Hex(c).c_str());
        } else {
          svg.Add("<g fill=\"%s\" stroke=\"%s\" stroke-width=\"0.6\">\n", Hex(Tint(c)).c_str(),
                  Hex(c).c_str());
        }
      }
      svg.Raw(item.shape);
      svg.Raw("\n");
    }
    if (group >= 0) svg.Add("</g>\n");

    std::set<std::string> seen;
    for (const auto& [part, box] : leftOut) {
      char text[256];
      const double x0 = X(box.lo[view_.across]), x1 = X(box.hi[view_.across]);
      const double y0 = Y(box.hi[view_.up]), y1 = Y(box.lo[view_.up]);
      std::snprintf(text, sizeof text,
                    "<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" fill=\"none\" "
                    "stroke=\"%s\" stroke-width=\"1.5\" stroke-dasharray=\"7 4\"/>\n",
                    x0, y0, x1 - x0, y1 - y0, Hex(kEmitters[part].colour).c_str());
      if (seen.insert(text).second) svg.Raw(text);
    }
  }

  void DrawGrid(Svg& svg) const {
    const double firstAcross = std::ceil(acrossLo_), firstUp = std::ceil(upLo_);
    svg.Add("<g stroke=\"#000\" stroke-opacity=\"0.13\" stroke-width=\"0.8\">\n");
    for (double a = firstAcross; a <= acrossHi_; ++a) {
      svg.Add("<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\"/>\n", X(a), boxTop_, X(a),
              BoxBottom());
    }
    for (double up = firstUp; up <= upHi_; ++up) {
      svg.Add("<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\"/>\n", left_, Y(up), BoxRight(),
              Y(up));
    }
    svg.Add("</g>\n");

    // The open end, where the room's surfaces stop, when the view runs along
    // the room.
    if (view_.across == kZ) {
      const double open = X(scene_.room.hi[kZ]);
      svg.Add(
          "<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"#000\" "
          "stroke-width=\"1.5\" stroke-dasharray=\"2 3\"/>\n",
          open, boxTop_, open, BoxBottom());
    }
  }

  // The numbers on the grid lines, over the labels' leaders.
  void DrawTicks(Svg& svg) const {
    const double firstAcross = std::ceil(acrossLo_), firstUp = std::ceil(upLo_);
    for (double up = firstUp; up <= upHi_; ++up) {
      svg.Add("<text class=\"tick\" x=\"%.1f\" y=\"%.1f\" text-anchor=\"end\">%s = %s</text>\n",
              left_ - 6, Y(up) + 4, AxisName(view_.up), Num(up).c_str());
    }
    for (double a = firstAcross; a <= acrossHi_; ++a) {
      if (std::fmod(a, view_.tickEvery) != 0) continue;
      svg.Add("<text class=\"tick\" x=\"%.1f\" y=\"%.1f\" text-anchor=\"middle\">%s</text>\n", X(a),
              BoxBottom() + 14, Num(a).c_str());
    }
    svg.Add("<text class=\"tick\" x=\"%.1f\" y=\"%.1f\" text-anchor=\"end\">%s</text>\n", left_ - 6,
            BoxBottom() + 14, AxisName(view_.across));
  }

  // The lights (one label for those that coincide here) and the viewer.
  void DrawMarks(Svg& svg) const {
    bool labelled[4] = {};
    for (int i = 0; i < 4; ++i) {
      if (labelled[i]) continue;
      const double x = X(scene_.lights[i]), y = Y(scene_.lights[i]);
      std::string names = std::to_string(i);
      int count = 1;
      for (int j = i + 1; j < 4; ++j) {
        if (std::hypot(X(scene_.lights[j]) - x, Y(scene_.lights[j]) - y) < kMarkNear) {
          labelled[j] = true;
          names += ", " + std::to_string(j);
          ++count;
        }
      }
      svg.Add(
          "<circle cx=\"%.1f\" cy=\"%.1f\" r=\"5.5\" fill=\"#f0e442\" stroke=\"#333\" "
          "stroke-width=\"1.2\"/>\n",
          x, y);
      svg.Add("<text class=\"label\" x=\"%.1f\" y=\"%.1f\">%s %s</text>\n", x + 7, y + 17,
              count > 1 ? "lights" : "light", names.c_str());
    }

    const double x = X(scene_.viewer), y = Y(scene_.viewer);
    const double dx = Coord(scene_.facing, view_.across), dy = -Coord(scene_.facing, view_.up);
    const double length = std::hypot(dx, dy);
    if (length > 0.1) {
      const double ux = dx / length, uy = dy / length;
      const double reach = 0.9 * kScale * length;
      const double tipX = x + ux * reach, tipY = y + uy * reach;
      const double baseX = tipX - ux * 10, baseY = tipY - uy * 10;
      svg.Add(
          "<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"#000\" "
          "stroke-width=\"2\"/>\n",
          x, y, baseX, baseY);
      svg.Add("<polygon points=\"%.1f,%.1f %.1f,%.1f %.1f,%.1f\" fill=\"#000\"/>\n", tipX, tipY,
              baseX - uy * 5, baseY + ux * 5, baseX + uy * 5, baseY - ux * 5);
      svg.Add("<circle cx=\"%.1f\" cy=\"%.1f\" r=\"4\" fill=\"#000\"/>\n", x, y);
    } else {
      // Looking into or out of the picture: a ring round the eye.
      svg.Add(
          "<circle cx=\"%.1f\" cy=\"%.1f\" r=\"9\" fill=\"none\" stroke=\"#000\" "
          "stroke-width=\"2\"/>\n",
          x, y);
    }
    svg.Add("<text class=\"label\" x=\"%.1f\" y=\"%.1f\">viewer</text>\n", x + 9, y - 9);
  }

  void DrawLabels(Svg& svg, double pageWidth) const {
    for (const Callout& c : view_.callouts) {
      const double x = X(c.across), y = Y(c.up);
      const double width = TextWidth(c.text);
      const char* anchor = "middle";
      if (x - width / 2 < 4) {
        anchor = "start";
      } else if (x + width / 2 > pageWidth - 4) {
        anchor = "end";
      }
      const double textY =
          c.row > 0 ? boxTop_ - 6 - (c.row - 1) * kRow : BoxBottom() + 14 - c.row * kRow;
      const char* leader =
          "<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"#333\" "
          "stroke-width=\"0.8\"/>\n";
      if (c.row > 0) {
        svg.Add(leader, x, textY + 3, x, y);
      } else {
        // Broken across the row of numbers under the view.
        svg.Add(leader, x, y, x, BoxBottom());
        if (textY - 12 > BoxBottom() + 22) svg.Add(leader, x, BoxBottom() + 18, x, textY - 12);
      }
      svg.Add("<circle cx=\"%.1f\" cy=\"%.1f\" r=\"2\" fill=\"#333\"/>\n", x, y);
      svg.Add("<text class=\"label\" x=\"%.1f\" y=\"%.1f\" text-anchor=\"%s\">%s</text>\n", x,
              textY, anchor, c.text.c_str());
    }
    const double bracket = BoxRight() + 8;
    for (const SideLabel& side : view_.sideLabels) {
      const Box box = scene_.Of(side.part);
      svg.Add(
          "<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"%s\" "
          "stroke-width=\"3\"/>\n",
          bracket, Y(box.hi[view_.up]) + 1, bracket, Y(box.lo[view_.up]) - 1,
          Hex(kEmitters[side.part].colour).c_str());
      svg.Add("<text class=\"label\" x=\"%.1f\" y=\"%.1f\">%s</text>\n", bracket + 7,
              Y(box.Mid(view_.up)) + 4, side.text.c_str());
    }
  }

  const Scene& scene_;
  const View& view_;
  double left_, top_;
  double acrossLo_ = 0, acrossHi_ = 0, upLo_ = 0, upHi_ = 0, boxTop_ = 0;
  int rowsAbove_ = 0, rowsBelow_ = 0;
};

View Looking(std::string title, int across, int up, int depth, double toward, double cut,
             double scale, int tickEvery) {
  return {std::move(title), across, up, depth, toward, cut, scale, tickEvery, {}, {}};
}

// A callout at a point of a part (or of one of its blocks), given as the
// fractions of the way across and up its extent in the view.
Callout On(const Scene& scene, const View& view, int part, int block, double across, double up,
           int row, std::string text) {
  const Box box = scene.Of(part, block);
  return {box.lo[view.across] + across * (box.hi[view.across] - box.lo[view.across]),
          box.lo[view.up] + up * (box.hi[view.up] - box.lo[view.up]), row, std::move(text)};
}

// The block of a part that lies on the plane `axis` = `value`, or -1.
int BlockOnPlane(const Scene& scene, int part, int axis, double value) {
  for (const PlanQuad& quad : scene.quads[part]) {
    const Box box = scene.Of(part, quad.block);
    if (box.lo[axis] == value && box.hi[axis] == value) return quad.block;
  }
  return -1;
}

View Plan(const Scene& scene) {
  const Box floor = scene.Of(kFloor), panel = scene.Of(kRightPanel);
  const Box left = scene.Of(kLeftWall), back = scene.Of(kBackWall);
  // The upper ledge's top face: its strips, like the bottom face's, reach
  // past the back wall.
  const int ledgeTop = BlockOnPlane(scene, kUpperLedge, kY, scene.Of(kUpperLedge).hi[kY]);
  const Box strips = scene.Of(kUpperLedge, ledgeTop);
  const double open = scene.room.hi[kZ];

  View v =
      Looking("Plan from above, cut at the viewer\u2019s eye height (y = " + Num(scene.viewer.y) +
                  "), looking down",
              kZ, kX, kY, 1, scene.viewer.y, kScale, 2);
  v.callouts = {
      On(scene, v, kRightPanel, -1, 0.3, 1, 1, "right panel, x = " + Num(panel.hi[kX])),
      On(scene, v, kUpperLedge, ledgeTop, 0.03, 0.5, 2,
         "upper ledge (above the cut): its strips span z = " + Num(strips.lo[kZ]) + " to " +
             Num(strips.hi[kZ])),
      On(scene, v, kLowerLedge, -1, 0.96, 0.5, 1, "lower ledge"),
      On(scene, v, kFloor, -1, 0.75, 1, 2,
         "floor runs to x = " + Num(floor.hi[kX]) +
             (floor.hi[kX] > panel.hi[kX] ? ", past the right wall at " + Num(panel.hi[kX]) : "")),
      On(scene, v, kLeftWall, -1, 0.3, 0, -1, "left wall, x = " + Num(left.lo[kX])),
      On(scene, v, kCeiling, -1, 0.6, 0, -2, "ceiling (above the cut)"),
      On(scene, v, kBackWall, -1, 0, 0, -1, "back wall, z = " + Num(back.lo[kZ])),
      {open, scene.room.lo[kX], -1, "open end, z = " + Num(open)},
  };
  return v;
}

View Section(const Scene& scene) {
  const Box floor = scene.Of(kFloor), left = scene.Of(kLeftWall), ceiling = scene.Of(kCeiling);
  const int ledgeTop = BlockOnPlane(scene, kUpperLedge, kY, scene.Of(kUpperLedge).hi[kY]);
  const Box strips = scene.Of(kUpperLedge, ledgeTop);

  View v = Looking("Section from the left, cut through the viewer (x = " + Num(scene.viewer.x) +
                       "), looking at the right-hand side",
                   kZ, kY, kX, -1, scene.viewer.x, kScale, 2);
  v.callouts = {
      On(scene, v, kCeiling, -1, 0.6, 1, 1, "ceiling, y = " + Num(ceiling.hi[kY])),
      On(scene, v, kLeftWall, -1, 0.3, 1, 2,
         "left wall (in front of the cut): its top strip ends at y = " + Num(left.hi[kY]) +
             (left.hi[kY] > ceiling.hi[kY] ? ", just above the ceiling" : "")),
      On(scene, v, kUpperLedge, ledgeTop, 0.04, 1, 1,
         "upper ledge strips: z = " + Num(strips.lo[kZ]) + " to " + Num(strips.hi[kZ])),
      On(scene, v, kFloor, -1, 0.6, 0, -1, "floor, y = " + Num(floor.lo[kY])),
      On(scene, v, kBackWall, -1, 0, 0, -1, "back wall"),
      {scene.room.hi[kZ], scene.room.lo[kY], -1, "open end"},
  };
  v.sideLabels = {
      {kUpperLedge, "upper ledge"}, {kRightPanel, "right panel"}, {kLowerLedge, "lower ledge"}};
  return v;
}

// The right-hand side's parts, named with how far across the room they lie.
std::string Across(const Scene& scene, int part) {
  const Box box = scene.Of(part);
  const std::string lo = Num(box.lo[kX]), hi = Num(box.hi[kX]);
  return std::string(kEmitters[part].name) + ", x = " + (lo == hi ? lo : lo + " to " + hi);
}

View CrossSection(const Scene& scene) {
  const Box floor = scene.Of(kFloor), back = scene.Of(kBackWall);
  char scale[16];
  std::snprintf(scale, sizeof scale, "%g", kCrossScale / kScale);
  View v = Looking("Across the room at the viewer (z = " + Num(scene.viewer.z) +
                       "), looking at the back wall; drawn " + scale + " times larger",
                   kX, kY, kZ, 1, scene.viewer.z, kCrossScale, 1);
  v.callouts = {
      On(scene, v, kCeiling, -1, 0.5, 1, 1, "ceiling"),
      On(scene, v, kBackWall, -1, 0.2, 0.8, 2, "back wall, z = " + Num(back.lo[kZ])),
      On(scene, v, kLeftWall, -1, 0, 0, -1, "left wall"),
      On(scene, v, kFloor, -1, 1, 0, -1, "floor runs to x = " + Num(floor.hi[kX])),
  };
  v.sideLabels = {{kUpperLedge, Across(scene, kUpperLedge)},
                  {kRightPanel, Across(scene, kRightPanel)},
                  {kLowerLedge, Across(scene, kLowerLedge)}};
  return v;
}

// The colours, then the lights' and viewer's places, in a column.
void DrawLegend(Svg& svg, const Scene& scene, double left, double top) {
  double y = top;
  svg.Add("<text class=\"title\" x=\"%.1f\" y=\"%.1f\">Key</text>\n", left, y + 11);
  y += kRow + 6;
  for (const Emitter& e : kEmitters) {
    svg.Add(
        "<rect x=\"%.1f\" y=\"%.1f\" width=\"22\" height=\"12\" fill=\"%s\" stroke=\"%s\" "
        "stroke-width=\"1.5\"/>\n",
        left, y, Hex(Tint(e.colour)).c_str(), Hex(e.colour).c_str());
    svg.Add("<text class=\"label\" x=\"%.1f\" y=\"%.1f\">%s</text>\n", left + 30, y + 11, e.name);
    y += kRow;
  }
  svg.Add(
      "<rect x=\"%.1f\" y=\"%.1f\" width=\"22\" height=\"12\" fill=\"none\" stroke=\"#555\" "
      "stroke-width=\"1.5\" stroke-dasharray=\"7 4\"/>\n",
      left, y);
  svg.Add(
      "<text class=\"label\" x=\"%.1f\" y=\"%.1f\">left out by the cut: between it and "
      "the onlooker</text>\n",
      left + 30, y + 11);
  y += kRow + 10;

  for (int i = 0; i < 4; ++i) {
    const PlanPoint& p = scene.lights[i];
    svg.Add(
        "<circle cx=\"%.1f\" cy=\"%.1f\" r=\"5.5\" fill=\"#f0e442\" stroke=\"#333\" "
        "stroke-width=\"1.2\"/>\n",
        left + 11, y + 6);
    svg.Add("<text class=\"label\" x=\"%.1f\" y=\"%.1f\">light %d at (%s, %s, %s)</text>\n",
            left + 30, y + 11, i, Num(p.x).c_str(), Num(p.y).c_str(), Num(p.z).c_str());
    y += kRow;
  }
  const PlanPoint& v = scene.viewer;
  svg.Add("<circle cx=\"%.1f\" cy=\"%.1f\" r=\"4\" fill=\"#000\"/>\n", left + 11, y + 6);
  svg.Add(
      "<text class=\"label\" x=\"%.1f\" y=\"%.1f\">the viewer starts at (%s, %s, %s), "
      "facing (%s, %s, %s)</text>\n",
      left + 30, y + 11, Num(v.x).c_str(), Num(v.y).c_str(), Num(v.z).c_str(),
      Num(scene.facing.x).c_str(), Num(scene.facing.y).c_str(), Num(scene.facing.z).c_str());
  y += kRow + 10;
  svg.Add(
      "<text class=\"label\" x=\"%.1f\" y=\"%.1f\">Points are (x, y, z) in room units; "
      "grid lines are 1 unit apart.</text>\n",
      left, y + 11);
}

bool RecordScene(Scene* scene, std::string* error) {
  for (int part = 0; part < kEmitterCount; ++part) {
    recorder::Clear();
    kEmitters[part].emit();
    std::string reason;
    if (!CollectQuads(recorder::Calls(), &scene->quads[part], &reason)) {
      *error = std::string(kEmitters[part].name) + ": " + reason;
      return false;
    }
    if (scene->quads[part].empty()) {
      *error = std::string(kEmitters[part].name) + ": no quads";
      return false;
    }
    scene->room.Add(scene->Of(part));
  }
  recorder::Clear();
  for (int i = 0; i < 4; ++i) {
    const GLfloat* p = kLightPositions[i];
    scene->lights[i] = {p[0], p[1], p[2]};
  }
  // The frame moves the room by gCameraZ along z, then turns it by gCameraYaw
  // about y; undoing both gives the eye's place and heading in the room.
  const double yaw = static_cast<double>(gCameraYaw) * 3.14159265358979323846 / 180.0;
  scene->viewer = {0.0, 0.0, -static_cast<double>(gCameraZ)};
  scene->facing = {std::sin(yaw), 0.0, -std::cos(yaw)};
  return true;
}

}  // namespace

bool CollectQuads(const std::vector<recorder::Call>& calls, std::vector<PlanQuad>* quads,
                  std::string* error) {
  quads->clear();
  bool inBlock = false;
  int block = -1;
  std::vector<PlanPoint> pending;
  for (const recorder::Call& call : calls) {
    switch (call.kind) {
      case recorder::Kind::kBegin:
        if (inBlock) {
          *error = "glBegin inside a glBegin/glEnd block";
          return false;
        }
        if (call.mode != GL_QUADS) {
          char text[64];
          std::snprintf(text, sizeof text, "a block of mode 0x%x, not GL_QUADS", call.mode);
          *error = text;
          return false;
        }
        inBlock = true;
        ++block;
        break;
      case recorder::Kind::kEnd:
        if (!inBlock) {
          *error = "glEnd outside a glBegin/glEnd block";
          return false;
        }
        if (!pending.empty()) {
          *error = "a block that ends inside a quad";
          return false;
        }
        inBlock = false;
        break;
      case recorder::Kind::kVertex:
        if (!inBlock) {
          *error = "a vertex outside a glBegin/glEnd block";
          return false;
        }
        pending.push_back({call.x, call.y, call.z});
        if (pending.size() == 4) {
          PlanQuad quad{block, {pending[0], pending[1], pending[2], pending[3]}};
          quads->push_back(quad);
          pending.clear();
        }
        break;
      case recorder::Kind::kNormal:
      case recorder::Kind::kTexCoord:
        break;
    }
  }
  if (inBlock) {
    *error = "a glBegin/glEnd block left open";
    return false;
  }
  return true;
}

bool MakeRoomPlan(std::string* svg, std::string* error) {
  Scene scene;
  if (!RecordScene(&scene, error)) return false;
  const View plan = Plan(scene), section = Section(scene), cross = CrossSection(scene);

  // The plan and the section one above the other, z lined up; below them the
  // cross-section, with the key beside it.
  const double width =
      kMarginLeft + (scene.room.hi[kZ] - scene.room.lo[kZ] + 2 * kPad) * kScale + kMarginRight;
  Svg body;
  double top = 16;
  for (const View* view : {&plan, &section}) {
    const ViewDrawing drawing(scene, *view, kMarginLeft, top);
    drawing.Draw(body, width);
    top = drawing.Bottom() + 22;
  }
  const ViewDrawing crossDrawing(scene, cross, kMarginLeft, top);
  crossDrawing.Draw(body, width);
  DrawLegend(body, scene, crossDrawing.BoxRight() + 280, top + 26);
  const double height = crossDrawing.Bottom() + 16;

  Svg out;
  out.Add(
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%.0f\" height=\"%.0f\" "
      "viewBox=\"0 0 %.0f %.0f\">\n",
      width, height, width, height);
  out.Add(
      "<style>\n"
      "text { font-family: 'DejaVu Sans', Verdana, sans-serif; fill: #111; }\n"
      ".title { font-size: 16px; font-weight: bold; }\n"
      ".label { font-size: 14px; paint-order: stroke; stroke: #fff; stroke-width: 3px; "
      "stroke-linejoin: round; }\n"
      ".tick { font-size: 12px; fill: #555; paint-order: stroke; stroke: #fff; "
      "stroke-width: 3px; }\n"
      "</style>\n");
  out.Add("<rect width=\"100%%\" height=\"100%%\" fill=\"#fff\"/>\n");
  out.Raw(body.text());
  out.Add("</svg>\n");
  *svg = out.text();
  return true;
}
