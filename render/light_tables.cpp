// The four lights' tables (declared in frame.h). They stand apart from the
// frame's GL calls so that the room's plan can link them with the geometry.
#include "render/frame.h"

// constexpr, so that the tables below are filled in at compile time.
constexpr GLfloat kNearZero = 0.001f;

const GLfloat kLightAmbient[4] = {0.0f, 0.0f, 0.0f, kNearZero};
const GLfloat kLightDiffuse[4] = {0.8f, 0.8f, 0.8f, kNearZero};
const GLfloat kLightSpecular[4] = {1.0f, 1.0f, 1.0f, kNearZero};
const GLfloat kLightPositions[4][4] = {
    {kNearZero, kNearZero, -8.0f, 1.0f},
    {1.0f, 1.0f, -3.0f, 1.0f},
    {kNearZero, kNearZero, 2.0f, 1.0f},
    {kNearZero, kNearZero, 8.0f, 1.0f},
};
