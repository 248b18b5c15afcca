// The room's plan: the seven emitters run against the call recorder, their
// quads drawn as SVG in a plan from above, a section from the side and a
// cross-section, with the lights, the viewer's start and the open end marked. Everything drawn
// comes from the recorded vertices, the light table and the starting camera.
#pragma once

#include <string>
#include <vector>

#include "tools/gl_recorder.h"

struct PlanPoint {
  double x, y, z;
};

// One quad as an emitter sent it; `block` counts the emitter's
// glBegin/glEnd blocks from 0.
struct PlanQuad {
  int block;
  PlanPoint corners[4];
};

// Groups a recorded call stream into quads. False, with the reason in
// *error, unless the stream is nothing but closed GL_QUADS blocks holding
// whole quads.
bool CollectQuads(const std::vector<recorder::Call>& calls, std::vector<PlanQuad>* quads,
                  std::string* error);

// The whole picture as an SVG document. False, with the reason in *error,
// when an emitter's stream cannot be drawn.
bool MakeRoomPlan(std::string* svg, std::string* error);
