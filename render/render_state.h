// The state every new rendering context is given: the viewport and
// perspective projection for its client area, and the multitexture probe,
// the texture sets and the fixed-function state the frames rely on.
#pragma once

// Fits the viewport and a 45-degree perspective to a client area of
// `width` by `height`. A height of 0 counts as 1; the width is not guarded,
// so a width of 0 gives an aspect of 0. Leaves the modelview matrix current
// and set to the identity.
void ResizeViewport(int width, int height);

// Probes the multitexture extensions, builds the texture sets and then sets
// depth testing, smooth shading, the clear values and the perspective hint.
// False, with none of that state set, when a texture set failed to build.
bool SetupRenderState();
