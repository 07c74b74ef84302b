#pragma once

#include <cmath>
#include <exception>
#include <map>

namespace zm {

// Key ordering of a FunTab: keys closer than 1000 double-precision epsilons
// (1000 * 2^-52) are equivalent, so a key recomputed with a rounding error
// still finds its point.
struct FloatCompare {
  static constexpr double kTolerance = 2.220446049250313e-13;
  bool operator()(double a, double b) const { return std::fabs(a - b) >= kTolerance && a < b; }
};

// A real function of one real variable given by control points and
// evaluated by straight-line interpolation between neighbouring points.
// Defined only from the first to the last key; no extrapolation.
class FunTab : public std::map<double, double, FloatCompare> {
 public:
  // Raised by ValueAt outside the table's range, so the last-resort handler
  // catches it with every other std::exception. Carries a pointer to a
  // static message text; copying copies the pointer.
  class Error : public std::exception {
   public:
    explicit Error(const char* message) : message_(message) {}
    const char* Message() const { return message_; }
    const char* what() const noexcept override { return message_; }

   private:
    const char* message_;
  };

  // The message of every Error raised by ValueAt.
  static const char* const kOutOfRangeMessage;

  // Sets the value at key x to y. A point with an equivalent key keeps its
  // stored key; only its value is replaced.
  void AddPoint(double x, double y);

  // The value at x: the stored value of a point with an equivalent key, or
  // the linear interpolation between the neighbouring points, computed and
  // returned in extended precision. Throws Error outside the range.
  long double ValueAt(double x) const;
};

}  // namespace zm
