#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

// The guard counts two ulps for every call of acos, log and pow (and 8 units
// absolute for acos beyond 0.999): the lanes' vector functions and the
// scalar library's, which the extended path calls. The largest errors over
// the arguments the chain passes stay within that.
// The lanes' functions are measured as the AVX2 file calls them
// (lane_library_avx2.cpp), where the processor has that unit.

namespace zm::testing {
bool LaneLibraryBuilt();
void LaneLibraryResults(const double* c, const double* a, const double* base,
                        const double* exponent, double* results, int count);
}  // namespace zm::testing

namespace zm {
namespace {

// The arguments as the chain gives them: cosines over -1..1 and crowding
// at both ends, log's arguments over 0.02..2.5 and just above 1, and shape
// values (floats in 0..1) to exponents 0..20.
struct Arguments {
  std::vector<double> c, a, base, exponent;
};

Arguments ChainArguments() {
  std::mt19937_64 random(2026);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  Arguments args;
  for (int k = 0; k < (1 << 16); ++k) {
    double c = 2.0 * unit(random) - 1.0;
    if (k % 2) c = std::copysign(1.0 - std::ldexp(unit(random), -(k % 40)), c);
    args.c.push_back(c);
    args.a.push_back(k % 2 ? 0.02 + 2.48 * unit(random) : 1.0 + std::ldexp(unit(random), -(k % 48)));
    args.base.push_back(static_cast<float>(unit(random)));
    args.exponent.push_back(20.0 * unit(random));
  }
  return args;
}

// An error relative to the exact value, in units of 2^-52 (the guard's two
// ulps are 2 of them).
double RelativeUnits(double result, long double exact) {
  if (exact == 0.0L) return result == 0.0 ? 0.0 : INFINITY;
  return static_cast<double>(std::fabs((result - exact) / exact) * 0x1p52L);
}

// The worst errors of results (acos, log and pow of each argument in turn)
// against the extended evaluation. Powers below 2^-1000 fall back and are
// left out.
void ExpectWithinTwoUlps(const Arguments& args, const std::vector<double>& results) {
  double acos = 0.0, steepAcos = 0.0, log = 0.0, pow = 0.0;
  for (size_t k = 0; k < args.c.size(); ++k) {
    const long double angle = std::acos(static_cast<long double>(args.c[k]));
    if (std::fabs(args.c[k]) <= 0.999) {
      acos = std::max(acos, RelativeUnits(results[3 * k], angle));
    } else {
      // Beyond 0.999 the bound counts 8 units absolute on top of the two
      // relative ones.
      const long double beyond = std::fabs(results[3 * k] - angle) - 0x1p-51L * angle;
      steepAcos = std::max(steepAcos, static_cast<double>(beyond * 0x1p52L));
    }
    log = std::max(log, RelativeUnits(results[3 * k + 1], std::log(static_cast<long double>(args.a[k]))));
    const long double power = std::pow(static_cast<long double>(args.base[k]), args.exponent[k]);
    if (power > 0x1p-1000L) pow = std::max(pow, RelativeUnits(results[3 * k + 2], power));
  }
  EXPECT_LE(acos, 2.0);
  EXPECT_LE(steepAcos, 8.0);
  EXPECT_LE(log, 2.0);
  EXPECT_LE(pow, 2.0);
}

TEST(LibraryErrors, EveryCallStaysWithinTheGuardsTwoUlps) {
  const Arguments args = ChainArguments();
  std::vector<double> results;
  for (size_t k = 0; k < args.c.size(); ++k) {
    results.push_back(std::acos(args.c[k]));
    results.push_back(std::log(args.a[k]));
    results.push_back(std::pow(args.base[k], args.exponent[k]));
  }
  ExpectWithinTwoUlps(args, results);
#if defined(__x86_64__)
  __builtin_cpu_init();
  if (testing::LaneLibraryBuilt() && __builtin_cpu_supports("avx2") &&
      __builtin_cpu_supports("fma")) {
    SCOPED_TRACE("lanes");
    testing::LaneLibraryResults(args.c.data(), args.a.data(), args.base.data(),
                                args.exponent.data(), results.data(),
                                static_cast<int>(args.c.size()));
    ExpectWithinTwoUlps(args, results);
  }
#endif
}

}  // namespace
}  // namespace zm
