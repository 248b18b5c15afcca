// The room's geometry: seven emitters, each sending one part of the fixed
// room to OpenGL as lit, textured quads in immediate mode. They set normals,
// texture coordinates and vertices only; the caller chooses the texture,
// lighting and camera. Each needs a current rendering context.
#pragma once

// The ceiling at y = 1.2: 4 quads, 5 deep, normal facing down.
void EmitCeiling();
// The floor at y = -1.2: 50 quads of 0.5 by 2, running from x = -1 to 1.5.
void EmitFloor();
// The back wall at z = -10: one quad.
void EmitBackWall();
// The left wall at x = -1: 240 strips, 0.1 high and 2 deep.
void EmitLeftWall();
// The ledge below y = -0.4 on the right: two faces of 80 strips and the top
// and bottom faces of 20, one glBegin/glEnd block per face.
void EmitLowerLedge();
// The ledge above y = 0.8 on the right: two faces of 40 strips and the
// bottom and top faces of 20, one glBegin/glEnd block per face.
void EmitUpperLedge();
// The panel at x = 1.2 between the ledges: 120 strips, normal facing out of
// the room.
void EmitRightPanel();
