// The multitexture probe: whether the driver offers GL_ARB_multitexture
// together with GL_EXT_texture_env_combine, and what it records when it
// does. The frame draws with one texture unit and reads none of this.
#pragma once

#include "platform/win32_api.h"

// Result of the last probe (stored by SetupRenderState). Initially false.
extern bool gMultitextureSupported;
// Cleared by a probe that fails; never set again. Initially true.
extern bool gUseMultitexture;
// GL_MAX_TEXTURE_UNITS_ARB from the last probe that succeeded. Initially 1.
extern GLint gMaxTextureUnits;

// The multitexture entry points, fetched by a probe that succeeds.
extern PROC gMultiTexCoord1fARB;
extern PROC gMultiTexCoord2fARB;
extern PROC gMultiTexCoord3fARB;
extern PROC gMultiTexCoord4fARB;
extern PROC gActiveTextureARB;
extern PROC gClientActiveTextureARB;

// True when `name` is one whole token of `list`, whose tokens are separated
// by newlines. The last token may or may not end in a newline; empty tokens
// match nothing, and neither does an empty name.
bool HasExtensionToken(const char* list, const char* name);

// Looks for both extensions in the current context's extension string. When
// both are there, records the number of texture units, fetches the entry
// points and tells the user in a message box owned by gWindow, then returns
// true. Otherwise clears gUseMultitexture and returns false, silently.
bool ProbeMultitexture();

// Puts the variables above back to their starting values (tests run the
// program many times in one process).
void ResetProbeState();
