#include "pool/team_types.h"

namespace tovrand {

TeamCategory CategoryOf(int type) {
  switch (type) {
    case kCommandTank:
    case kHalftrack:
    case kReconVehicle:
    case kMediumAssaultGun:
    case kHeavyAssaultGun:
    case kJumboAssaultGun:
    case kLightTankDestroyer:
    case kMediumTankDestroyer:
    case kHeavyTankDestroyer:
    case kLightTank:
    case kMediumTank:
    case kHeavyTank:
      return TeamCategory::kTank;
    case kCommandInfantry:
    case kSniper:
    case kAntiTankInfantry:
    case kScout:
    case kRifle:
    case kHeavyRifle:
    case kAssaultInfantry:
    case kEngineer:
    case kMachineGun:
    case kMortar:
      return TeamCategory::kInfantry;
    default:
      return TeamCategory::kNone;
  }
}

const char* TeamTypeName(int type) {
  // By code, from kCommandInfantry (0) to kMortarHalftrack (38).
  static constexpr const char* kNames[] = {
      "Command Infantry",     "Command Halftrack",    "Command Tank",
      "Crew",                 "Sniper",               "Anti-Tank Infantry",
      "Scout",                "Rifle",                "Heavy Rifle",
      "Assault Infantry",     "Engineer",             "Machine Gun",
      "Mortar",               "Light Infantry Gun",   "Medium Infantry Gun",
      "Heavy Infantry Gun",   "Light Flak Gun",       "Medium Flak Gun",
      "Heavy Flak Gun",       "Light AT Gun",         "Medium AT Gun",
      "Heavy AT Gun",         "Truck",                "Halftrack",
      "Recon Vehicle",        "Flak Vehicle",         "Light Assault Gun",
      "Medium Assault Gun",   "Heavy Assault Gun",    "Jumbo Assault Gun",
      "Light Tank Destroyer", "Medium Tank Destroyer", "Heavy Tank Destroyer",
      "Light Tank",           "Medium Tank",          "Heavy Tank",
      "Jumbo Tank",           "HMG Halftrack",        "Mortar Halftrack",
  };
  static_assert(sizeof(kNames) / sizeof(kNames[0]) == kMortarHalftrack + 1,
                "one name per type code");
  if (type < 0 || type > kMortarHalftrack) return nullptr;
  return kNames[type];
}

}  // namespace tovrand
