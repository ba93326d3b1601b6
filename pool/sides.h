#ifndef TOVRAND_POOL_SIDES_H_
#define TOVRAND_POOL_SIDES_H_

namespace tovrand {

// The two sides, as the `Nationality` byte of a pool holds them.
enum class SideCode { kAllied = 0, kGerman = 1 };
constexpr int kSides = 2;

// "Allied" for nationality 0, "German" for 1, nullptr for any other.
inline const char* SideName(int nationality) {
  constexpr const char* kNames[kSides] = {"Allied", "German"};
  return nationality >= 0 && nationality < kSides ? kNames[nationality]
                                                  : nullptr;
}

// The side whose team table (AlsTeams for Allied, GETeams for German) holds
// the teams of a pool's slots: Allied for nationality 0, German for any
// other, as a scaling pass for the German side would look them up.
inline SideCode TeamSideOf(int nationality) {
  return nationality == 0 ? SideCode::kAllied : SideCode::kGerman;
}

}  // namespace tovrand

#endif  // TOVRAND_POOL_SIDES_H_
