// Arithmetic the picture generators share: colours as three doubles from 0
// to 255, the smooth steps of the drawings, rounding to bytes, and
// little-endian fields of the files they write. Only +, -, *, / and floor,
// which IEEE arithmetic rounds the same on every machine.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

struct Color {
  double r, g, b;
};

inline Color operator+(Color a, Color b) {
  return {a.r + b.r, a.g + b.g, a.b + b.b};
}
inline Color operator*(Color a, double k) {
  return {a.r * k, a.g * k, a.b * k};
}
inline Color Mix(Color a, Color b, double k) {
  return a * (1.0 - k) + b * k;
}

inline double Clamp01(double x) {
  return x < 0.0 ? 0.0 : (x > 1.0 ? 1.0 : x);
}
inline double SmoothStep(double edge0, double edge1, double x) {
  const double k = Clamp01((x - edge0) / (edge1 - edge0));
  return k * k * (3.0 - 2.0 * k);
}
inline double Fract(double x) {
  return x - std::floor(x);
}

inline std::uint8_t ToByte(double v) {
  if (v <= 0.0) return 0;
  if (v >= 255.0) return 255;
  return static_cast<std::uint8_t>(std::floor(v + 0.5));
}

inline void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v & 0xFFu));
  out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFFu));
}
inline void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  Put16(out, v & 0xFFFFu);
  Put16(out, v >> 16);
}
