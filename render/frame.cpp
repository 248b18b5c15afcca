// Frame composition: the camera transform, the lights and the texture bound
// for each surface, in the order the room is drawn.
#include "render/frame.h"

#include "render/room_geometry.h"
#include "render/texture_sets.h"
#include "render/view_state.h"

// The light tables are defined in light_tables.cpp.

namespace {

constexpr GLenum kLights[4] = {GL_LIGHT0, GL_LIGHT1, GL_LIGHT2, GL_LIGHT3};

// Positions are set after the camera transform, so they are taken in room
// space and the lights stay put as the camera moves.
void SetLights() {
  for (int i = 0; i < 4; ++i) {
    glLightfv(kLights[i], GL_SPECULAR, kLightSpecular);
    glLightfv(kLights[i], GL_AMBIENT, kLightAmbient);
    glLightfv(kLights[i], GL_DIFFUSE, kLightDiffuse);
    glLightfv(kLights[i], GL_POSITION, kLightPositions[i]);
    if (i == 0) {
      glEnable(GL_LIGHTING);
    }
    glEnable(kLights[i]);
  }
}

void SwitchOffLights() {
  glDisable(GL_LIGHTING);
  for (GLenum light : kLights) {
    glDisable(light);
  }
}

void BindMember(const TextureSet& set) {
  glBindTexture(GL_TEXTURE_2D, set.names[gFilterIndex]);
}

void DrawTextured(const TextureSet& set, void (*emit)()) {
  glEnable(GL_TEXTURE_2D);
  BindMember(set);
  emit();
  glDisable(GL_TEXTURE_2D);
}

}  // namespace

void DrawRoomShell() {
  // The modelview matrix is current whenever a frame is drawn. Loading it
  // rather than pushing keeps the stack depth as it was.
  glLoadIdentity();
  glRotatef(gCameraYaw, 0.0f, 1.0f, 0.0f);
  glTranslatef(0.0f, 0.0f, gCameraZ);

  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glClearDepth(1.0);

  if (gLightsOn) {
    SetLights();
  } else {
    SwitchOffLights();
  }

  DrawTextured(gWallSet, EmitBackWall);
  DrawTextured(gWallSet, EmitLeftWall);
  DrawTextured(gLowerRightSet, EmitLowerLedge);
  DrawTextured(gUpperRightSet, EmitUpperLedge);
  EmitRightPanel();  // untextured: white, or lit only by the global ambient

  glEnable(GL_TEXTURE_2D);
  BindMember(gLightsOn ? gLampNightSet : gLampDaySet);
  EmitCeiling();
}

bool DrawFrame() {
  DrawRoomShell();
  DrawTextured(gBumpFloor ? gBumpSet : gFloorSet, EmitFloor);
  return true;
}
