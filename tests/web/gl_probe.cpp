// gl_probe: draws small cases of the fixed-function OpenGL the program and
// the GL_ARB_multitexture and GL_EXT_texture_env_combine extensions offer,
// through the Win32 subset alone, and prints what each case put on the
// screen. Built for the browser and, on the scripted layer, against Mesa:
// the browser tests compare the two, so the browser layer must give what
// desktop OpenGL gives.
//
// Each line is "case x y r g b" for a pixel of the case's 16 by 16 cell
// (x, y from the cell's bottom left), then "done" on a line of its own.
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "platform/win32_api.h"

#ifndef GL_TEXTURE0_ARB
#define GL_TEXTURE0_ARB 0x84C0
#define GL_TEXTURE1_ARB 0x84C1
#endif
#ifndef GL_COMBINE_EXT
#define GL_COMBINE_EXT 0x8570
#define GL_COMBINE_RGB_EXT 0x8571
#define GL_COMBINE_ALPHA_EXT 0x8572
#define GL_RGB_SCALE_EXT 0x8573
#define GL_ADD_SIGNED_EXT 0x8574
#define GL_INTERPOLATE_EXT 0x8575
#define GL_CONSTANT_EXT 0x8576
#define GL_PRIMARY_COLOR_EXT 0x8577
#define GL_PREVIOUS_EXT 0x8578
#define GL_SOURCE0_RGB_EXT 0x8580
#define GL_SOURCE1_RGB_EXT 0x8581
#define GL_SOURCE2_RGB_EXT 0x8582
#define GL_OPERAND0_RGB_EXT 0x8590
#define GL_OPERAND1_RGB_EXT 0x8591
#define GL_OPERAND2_RGB_EXT 0x8592
#endif

namespace {

constexpr int kCell = 16;
constexpr int kColumns = 6;
constexpr int kRows = 4;
constexpr int kWidth = kCell * kColumns;
constexpr int kHeight = kCell * kRows;

typedef void(APIENTRY* ActiveTextureProc)(GLenum);
typedef void(APIENTRY* MultiTexCoord2fProc)(GLenum, GLfloat, GLfloat);
ActiveTextureProc gActiveTexture = nullptr;
MultiTexCoord2fProc gMultiTexCoord2f = nullptr;

int gCase = 0;

// The pixels each case reads: a spread over its cell, corners to centre.
constexpr int kSamples[][2] = {{1, 1},  {14, 1}, {1, 14}, {14, 14}, {8, 8},
                               {4, 11}, {11, 4}, {7, 2},  {2, 7}};

void Report(const char* name, int column, int row) {
  for (const auto& sample : kSamples) {
    unsigned char rgb[3] = {0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(column * kCell + sample[0], row * kCell + sample[1], 1, 1, GL_RGB,
                 GL_UNSIGNED_BYTE, rgb);
    std::printf("%s %d %d %d %d %d\n", name, sample[0], sample[1], rgb[0], rgb[1], rgb[2]);
  }
}

// The next cell, with plain state: identity matrices, no texturing, no
// lighting, smooth shading, white.
void NextCell(int& column, int& row) {
  column = gCase % kColumns;
  row = gCase / kColumns;
  ++gCase;
  glViewport(column * kCell, row * kCell, kCell, kCell);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  for (GLenum unit : {GL_TEXTURE1_ARB, GL_TEXTURE0_ARB}) {
    gActiveTexture(unit);
    glDisable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  }
  glDisable(GL_LIGHTING);
  glShadeModel(GL_SMOOTH);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

// A 2 by 2 (or 4 by 4) picture as a texture with the given filter.
GLuint MakeTexture(int side, const unsigned char* texels, GLenum format, GLint filter) {
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, format == GL_RGBA ? GL_RGBA8 : GL_RGB8, side, side, 0, format,
               GL_UNSIGNED_BYTE, texels);
  return name;
}

// The cell's square with texture coordinates s0..s1, t0..t1 on unit 0 (and
// the opposite corners on unit 1 when `second`).
void Square(float s0, float s1, float t0, float t1, bool second = false) {
  const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
  const float st[4][2] = {{s0, t0}, {s1, t0}, {s1, t1}, {s0, t1}};
  glBegin(GL_QUADS);
  for (int i = 0; i < 4; ++i) {
    glTexCoord2f(st[i][0], st[i][1]);
    if (second) gMultiTexCoord2f(GL_TEXTURE1_ARB, st[3 - i][0], st[3 - i][1]);
    glVertex2f(corners[i][0], corners[i][1]);
  }
  glEnd();
}

const unsigned char kRgb[] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
const unsigned char kRgba[] = {255, 0, 0, 0, 0, 255, 0, 85, 0, 0, 255, 170, 255, 255, 0, 255};
const unsigned char kGrey4[] = {10,  20,  30,  200, 40,  60,  80,  100, 120, 140, 160, 180,
                                200, 220, 240, 250, 90,  30,  60,  15,  45,  75,  105, 135,
                                165, 195, 225, 5,   35,  65,  95,  125, 155, 185, 215, 245,
                                25,  50,  75,  100, 125, 150, 175, 200, 225, 250, 0,   255};

void RunCases() {
  int column = 0, row = 0;
  const GLuint rgb = MakeTexture(2, kRgb, GL_RGB, GL_LINEAR);
  const GLuint rgba = MakeTexture(2, kRgba, GL_RGBA, GL_LINEAR);
  const GLuint nearest = MakeTexture(2, kRgb, GL_RGB, GL_NEAREST);

  NextCell(column, row);  // the vertex colour alone
  glColor3f(0.2f, 0.6f, 0.9f);
  Square(0, 1, 0, 1);
  Report("colour", column, row);

  NextCell(column, row);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, rgb);
  glColor3f(0.5f, 0.75f, 1.0f);
  Square(0, 1, 0, 1);
  Report("modulate", column, row);

  NextCell(column, row);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, nearest);
  Square(-1, 2, -1, 2);  // repeats
  Report("nearest-repeat", column, row);

  NextCell(column, row);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, rgba);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL);
  glColor3f(0.3f, 0.3f, 0.8f);
  Square(0, 1, 0, 1);
  Report("decal", column, row);

  NextCell(column, row);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, rgb);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_BLEND);
  const GLfloat environment[4] = {0.2f, 0.4f, 0.6f, 0.25f};
  glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, environment);
  glColor3f(0.9f, 0.5f, 0.1f);
  Square(0, 1, 0, 1);
  Report("blend", column, row);

  NextCell(column, row);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, rgba);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  glColor3f(0.1f, 0.1f, 0.1f);
  Square(0, 1, 0, 1);
  Report("replace", column, row);

  NextCell(column, row);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, rgb);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE_EXT);
  glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB_EXT, GL_INTERPOLATE_EXT);
  glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB_EXT, GL_TEXTURE);
  glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB_EXT, GL_PRIMARY_COLOR_EXT);
  glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE2_RGB_EXT, GL_CONSTANT_EXT);
  glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND2_RGB_EXT, GL_SRC_ALPHA);
  glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, environment);
  glColor3f(0.0f, 0.5f, 1.0f);
  Square(0, 1, 0, 1);
  Report("combine-interpolate", column, row);

  NextCell(column, row);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, rgb);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE_EXT);
  glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB_EXT, GL_ADD_SIGNED_EXT);
  glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB_EXT, GL_TEXTURE);
  glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB_EXT, GL_PRIMARY_COLOR_EXT);
  glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_RGB_EXT, GL_ONE_MINUS_SRC_COLOR);
  glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_RGB_EXT, GL_SRC_COLOR);
  glTexEnvf(GL_TEXTURE_ENV, GL_RGB_SCALE_EXT, 2.0f);
  glColor3f(0.3f, 0.6f, 0.2f);
  Square(0, 1, 0, 1);
  Report("combine-add-signed", column, row);
  glTexEnvf(GL_TEXTURE_ENV, GL_RGB_SCALE_EXT, 1.0f);
  glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_RGB_EXT, GL_SRC_COLOR);

  NextCell(column, row);  // two units, the second with its own coordinates
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, rgb);
  gActiveTexture(GL_TEXTURE1_ARB);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, rgba);
  gActiveTexture(GL_TEXTURE0_ARB);
  Square(0, 1, 0, 1, true);
  Report("two-units", column, row);

  NextCell(column, row);  // GL_CLAMP with a border colour, filtered linearly
  glEnable(GL_TEXTURE_2D);
  const GLuint grey = MakeTexture(4, kGrey4, GL_RGB, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
  const GLfloat border[4] = {0.5f, 0.5f, 0.5f, 1.0f};
  glTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, border);
  Square(-0.25f, 1.25f, -0.25f, 1.25f);
  Report("clamp-border", column, row);

  NextCell(column, row);  // the same texture clamped to its edge
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, grey);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  Square(-0.25f, 1.25f, -0.25f, 1.25f);
  Report("clamp-edge", column, row);

  NextCell(column, row);  // half intensity through the pixel transfer
  glEnable(GL_TEXTURE_2D);
  glPixelTransferf(GL_RED_SCALE, 0.5f);
  glPixelTransferf(GL_GREEN_SCALE, 0.5f);
  glPixelTransferf(GL_BLUE_SCALE, 0.5f);
  MakeTexture(4, kGrey4, GL_RGB, GL_NEAREST);
  glPixelTransferf(GL_RED_SCALE, 1.0f);
  glPixelTransferf(GL_GREEN_SCALE, 1.0f);
  glPixelTransferf(GL_BLUE_SCALE, 1.0f);
  Square(0, 1, 0, 1);
  Report("pixel-transfer", column, row);

  const GLfloat quadColours[4][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 0}};
  const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
  for (GLenum shade : {GL_SMOOTH, GL_FLAT}) {
    for (GLenum primitive : {GL_QUADS, GL_POLYGON, GL_TRIANGLE_FAN}) {
      NextCell(column, row);
      glShadeModel(shade);
      glBegin(primitive);
      for (int i = 0; i < 4; ++i) {
        glColor3fv(quadColours[i]);
        glVertex2f(corners[i][0], corners[i][1]);
      }
      glEnd();
      char name[48];
      std::snprintf(name, sizeof name, "%s-%s", shade == GL_FLAT ? "flat" : "smooth",
                    primitive == GL_QUADS     ? "quad"
                    : primitive == GL_POLYGON ? "polygon"
                                              : "fan");
      Report(name, column, row);
    }
  }

  NextCell(column, row);  // lit: one positional light, one directional
  glEnable(GL_LIGHTING);
  const GLfloat white[4] = {0.8f, 0.8f, 0.8f, 1.0f};
  const GLfloat dim[4] = {0.1f, 0.2f, 0.3f, 1.0f};
  const GLfloat nearby[4] = {0.3f, -0.2f, 0.6f, 1.0f};
  const GLfloat away[4] = {-1.0f, 1.0f, 1.0f, 0.0f};
  glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
  glLightfv(GL_LIGHT0, GL_POSITION, nearby);
  glLightfv(GL_LIGHT1, GL_DIFFUSE, dim);
  glLightfv(GL_LIGHT1, GL_AMBIENT, dim);
  glLightfv(GL_LIGHT1, GL_POSITION, away);
  glEnable(GL_LIGHT0);
  glEnable(GL_LIGHT1);
  glNormal3f(0.0f, 0.0f, 1.0f);
  Square(0, 1, 0, 1);
  Report("lit", column, row);
  glDisable(GL_LIGHTING);
}

// An extension's entry point as its own type (the bits of the PROC).
template <typename Function>
Function EntryPoint(const char* name) {
  const PROC procedure = wglGetProcAddress(name);
  Function function = nullptr;
  static_assert(sizeof function == sizeof procedure, "entry points differ in size");
  std::memcpy(&function, &procedure, sizeof function);
  return function;
}

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  WNDCLASSA windowClass;
  std::memset(&windowClass, 0, sizeof windowClass);
  windowClass.lpfnWndProc = Procedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "GlProbe";
  if (RegisterClassA(&windowClass) == 0) return 2;
  RECT rect = {0, 0, kWidth, kHeight};
  AdjustWindowRectEx(&rect, WS_POPUP, FALSE, 0);
  const HWND window =
      CreateWindowExA(0, "GlProbe", "GL probe", WS_POPUP, 0, 0, rect.right - rect.left,
                      rect.bottom - rect.top, nullptr, nullptr, windowClass.hInstance, nullptr);
  if (window == nullptr) return 2;
  const HDC deviceContext = GetDC(window);
  PIXELFORMATDESCRIPTOR format;
  std::memset(&format, 0, sizeof format);
  format.nSize = sizeof format;
  format.nVersion = 1;
  format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  format.iPixelType = PFD_TYPE_RGBA;
  format.cColorBits = 24;
  format.cDepthBits = 16;
  SetPixelFormat(deviceContext, ChoosePixelFormat(deviceContext, &format), &format);
  const HGLRC context = wglCreateContext(deviceContext);
  if (context == nullptr || !wglMakeCurrent(deviceContext, context)) return 2;
  ShowWindow(window, SW_SHOW);

  gActiveTexture = EntryPoint<ActiveTextureProc>("glActiveTextureARB");
  gMultiTexCoord2f = EntryPoint<MultiTexCoord2fProc>("glMultiTexCoord2fARB");
  if (gActiveTexture == nullptr || gMultiTexCoord2f == nullptr) {
    std::printf("no GL_ARB_multitexture\n");
    return 3;
  }
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  RunCases();
  std::printf("done\n");
  std::fflush(stdout);
  SwapBuffers(deviceContext);

  wglMakeCurrent(nullptr, nullptr);
  wglDeleteContext(context);
  ReleaseDC(window, deviceContext);
  DestroyWindow(window);
  return 0;
}
