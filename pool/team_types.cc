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

}  // namespace tovrand
