// Number rules shared by the presentation and the transitions: conversion of fractional values
// to pixels (nearest, halves to even), single-precision storage, checked 32-bit arithmetic.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#include "base/RuntimeFailure.h"

namespace scenesaver::base {

// The two values of a 16-bit boolean flag as stored and compared.
inline constexpr std::int16_t kTrue = -1;
inline constexpr std::int16_t kFalse = 0;

// Rounds to the nearest 32-bit integer, ties to the even neighbour; out of range is an overflow.
inline std::int32_t px(double value) {
  const double r = std::nearbyint(value);  // default rounding mode: to nearest, ties to even
  if (!(r >= static_cast<double>(std::numeric_limits<std::int32_t>::min()) &&
        r <= static_cast<double>(std::numeric_limits<std::int32_t>::max()))) {
    throw RuntimeFailure(kOverflow, "px");
  }
  return static_cast<std::int32_t>(r);
}

// Stores a value in single precision, as a single-precision variable would hold it.
inline float single(double value) { return static_cast<float>(value); }

inline std::int32_t CheckedAdd(std::int32_t a, std::int32_t b) {
  std::int32_t r = 0;
  if (__builtin_add_overflow(a, b, &r)) throw RuntimeFailure(kOverflow, "Add");
  return r;
}
inline std::int32_t CheckedSub(std::int32_t a, std::int32_t b) {
  std::int32_t r = 0;
  if (__builtin_sub_overflow(a, b, &r)) throw RuntimeFailure(kOverflow, "Sub");
  return r;
}
inline std::int32_t CheckedMul(std::int32_t a, std::int32_t b) {
  std::int32_t r = 0;
  if (__builtin_mul_overflow(a, b, &r)) throw RuntimeFailure(kOverflow, "Mul");
  return r;
}

}  // namespace scenesaver::base
