#ifndef TOVRAND_TESTING_LCG_H_
#define TOVRAND_TESTING_LCG_H_

#include <cstdint>

namespace testdata {

// A fixed linear congruential generator: generated data must not change from
// one run, machine or compiler to the next, so std::rand and the <random>
// distributions, whose results are not pinned down, are not used.
class Lcg {
 public:
  explicit Lcg(uint32_t seed) : state_(seed) {}

  // A number from 0 to n - 1, from the well-mixed high bits; n is at most
  // 65536.
  int Below(int n) {
    state_ = state_ * 1664525u + 1013904223u;
    return static_cast<int>((state_ >> 16) % static_cast<uint32_t>(n));
  }

 private:
  uint32_t state_;
};

}  // namespace testdata

#endif  // TOVRAND_TESTING_LCG_H_
