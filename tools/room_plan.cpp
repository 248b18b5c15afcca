// room_plan: draws the room as its emitters send it, a plan from above and a
// section from the side, into one SVG file (docs/room-plan.svg in the tree).
//
//   room_plan <output.svg>
#include <cstdio>
#include <string>

#include "tools/room_plan_drawing.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: room_plan <output.svg>\n");
    return 2;
  }
  std::string svg, error;
  if (!MakeRoomPlan(&svg, &error)) {
    std::fprintf(stderr, "room_plan: %s\n", error.c_str());
    return 1;
  }
  std::FILE* file = std::fopen(argv[1], "wb");
  if (file == nullptr) {
    std::fprintf(stderr, "room_plan: cannot write %s\n", argv[1]);
    return 1;
  }
  const bool written = std::fwrite(svg.data(), 1, svg.size(), file) == svg.size();
  if (std::fclose(file) != 0 || !written) {
    std::fprintf(stderr, "room_plan: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
