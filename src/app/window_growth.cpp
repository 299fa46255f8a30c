#include "app/window_growth.h"

#include <algorithm>
#include <array>

#include "core/control_names.h"

namespace qm {
namespace {

// A line at `at` (page coordinates, between two pixels) that takes
// `parts` thirds of the growth in its direction.
struct GrowthLine {
  double at;
  int parts;
};

struct PageGrowth {
  std::string_view page;
  std::array<GrowthLine, 3> upright;  // parts 0: unused
  GrowthLine level;
};

// "网页制作": the paged book's group takes the width (right of its convert
// button, left of its check boxes) and the height (below the re-encoding
// group, above the simplifier); the order list grows both ways.
// "CHM制作": the tree, the contents box and the project box take a third of
// the width each (the lines pass between the buttons above and below them,
// so that the buttons stay in groups) and all of the height.
constexpr PageGrowth kPages[] = {
    {kWebPage, {{{360.5, 3}, {0, 0}, {0, 0}}}, {230.5, 3}},
    {kChmPage, {{{201.5, 1}, {286.5, 1}, {597.5, 1}}}, {200.5, 3}},
};

// How far a page coordinate moves: the shares of the lines before it.
// Thirds of `extra` are whole pixels; the last line takes the rest.
int Shift(double coordinate, const GrowthLine* lines, std::size_t count, int extra) {
  int shift = 0, given = 0, parts = 0;
  for (std::size_t i = 0; i < count; ++i) {
    if (lines[i].parts == 0) continue;
    parts += lines[i].parts;
    int share = parts >= 3 ? extra - given : extra * lines[i].parts / 3;
    given += share;
    if (coordinate > lines[i].at) shift += share;
  }
  return shift;
}

}  // namespace

ControlRect GrownRect(const ControlInfo& c, int extra_width, int extra_height) {
  const int dw = std::max(extra_width, 0), dh = std::max(extra_height, 0);
  ControlRect rect{c.left, c.top, c.width, c.height};
  if (c.name == controls::kTabControl) return {c.left, c.top, c.width + dw, c.height + dh};
  const std::string_view page = PageOf(c.name);
  const PageGrowth* growth = nullptr;
  for (const PageGrowth& g : kPages) {
    if (g.page == page) growth = &g;
  }
  if (!growth) return rect;
  // Page coordinates of the control and of its parent's origin.
  int origin_x = 0, origin_y = 0;
  if (c.parent != page) {
    if (const ControlInfo* parent = FindControl(c.parent)) {
      origin_x = parent->left;
      origin_y = parent->top;
    }
  }
  auto x = [&](int at) { return at + Shift(at, growth->upright.data(), growth->upright.size(), dw); };
  auto y = [&](int at) { return at + Shift(at, &growth->level, 1, dh); };
  const int left = x(origin_x + c.left), right = x(origin_x + c.left + c.width);
  const int top = y(origin_y + c.top), bottom = y(origin_y + c.top + c.height);
  return {left - x(origin_x), top - y(origin_y), right - left, bottom - top};
}

}  // namespace qm
