#ifndef TOVRAND_POOL_TEAM_TYPES_H_
#define TOVRAND_POOL_TEAM_TYPES_H_

namespace tovrand {

// The categories of team types that a scaling percentage applies to.
enum class TeamCategory { kNone, kTank, kInfantry };

// The team-type codes of the game (the `Type` column of AlsTeams and
// GETeams records). Only the category of a code matters to the pass.
enum TeamType {
  kCommandInfantry = 0,
  kCommandHalftrack = 1,
  kCommandTank = 2,
  kCrew = 3,
  kSniper = 4,
  kAntiTankInfantry = 5,
  kScout = 6,
  kRifle = 7,
  kHeavyRifle = 8,
  kAssaultInfantry = 9,
  kEngineer = 10,
  kMachineGun = 11,
  kMortar = 12,
  kLightInfantryGun = 13,
  kMediumInfantryGun = 14,
  kHeavyInfantryGun = 15,
  kLightFlakGun = 16,
  kMediumFlakGun = 17,
  kHeavyFlakGun = 18,
  kLightAtGun = 19,
  kMediumAtGun = 20,
  kHeavyAtGun = 21,
  kTruck = 22,
  kHalftrack = 23,
  kReconVehicle = 24,
  kFlakVehicle = 25,
  kLightAssaultGun = 26,
  kMediumAssaultGun = 27,
  kHeavyAssaultGun = 28,
  kJumboAssaultGun = 29,
  kLightTankDestroyer = 30,
  kMediumTankDestroyer = 31,
  kHeavyTankDestroyer = 32,
  kLightTank = 33,
  kMediumTank = 34,
  kHeavyTank = 35,
  kJumboTank = 36,
  kHmgHalftrack = 37,
  kMortarHalftrack = 38,
};

// The category of a type code. Tank: Command Tank, Halftrack, Recon Vehicle
// and the assault guns, tank destroyers and tanks from Medium Assault Gun to
// Heavy Tank (not Light Assault Gun, not Jumbo Tank). Infantry: Command
// Infantry and Sniper to Mortar (not Crew). Every other value, negative or
// unknown codes included, is in no category.
TeamCategory CategoryOf(int type);

// The name of a type code as modders know it ("Medium Tank" for 34), or
// nullptr for a code outside 0 to 38.
const char* TeamTypeName(int type);

}  // namespace tovrand

#endif  // TOVRAND_POOL_TEAM_TYPES_H_
