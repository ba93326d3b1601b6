// make_sample: writes the bundled sample data set into a directory.
//   make_sample DIR
// DIR receives Tables.ini, FPools.txt, AlsTeams.txt, GETeams.txt and an empty
// Output directory: everything tovrand needs for a run. The data is invented
// and the same on every run, byte for byte, so sample/data can be checked
// against this program (see check_sample.cmake). To refresh the committed
// copy after changing this file: build/default/make_sample sample/data

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "pool/team_types.h"
#include "testing/data_builder.h"
#include "testing/lcg.h"

namespace {

using testdata::Lcg;
using testdata::Pool;
using testdata::Slot;
using testdata::Team;
using namespace tovrand;  // the team-type codes

constexpr int kAlliedNationality = 0;
constexpr int kGermanNationality = 1;

// Team classes are numbered from here on, one side's teams after another.
constexpr int kFirstAlliedClass = 100;
constexpr int kFirstGermanClass = 200;

struct TeamEntry {
  const char* name;
  TeamType type;
};

// Each side has a team of every type code, so the tables hold all three
// categories and the types at the edges of each one.
constexpr TeamEntry kAlliedTeams[] = {
    {"Company HQ", kCommandInfantry},
    {"Command Halftrack", kCommandHalftrack},
    {"Command Tank", kCommandTank},
    {"Tank Crew", kCrew},
    {"Sniper Team", kSniper},
    {"Anti-Tank Rocket Team", kAntiTankInfantry},
    {"Scout Section", kScout},
    {"Rifle Squad", kRifle},
    {"Heavy Weapons Squad", kHeavyRifle},
    {"Assault Squad", kAssaultInfantry},
    {"Engineer Squad", kEngineer},
    {"Machine Gun Team", kMachineGun},
    {"Mortar Section", kMortar},
    {"Pack Howitzer Section", kLightInfantryGun},
    {"Infantry Howitzer Section", kMediumInfantryGun},
    {"Heavy Howitzer Battery", kHeavyInfantryGun},
    {"Light Anti-Aircraft Gun", kLightFlakGun},
    {"Medium Anti-Aircraft Gun", kMediumFlakGun},
    {"Heavy Anti-Aircraft Battery", kHeavyFlakGun},
    {"Light Anti-Tank Gun", kLightAtGun},
    {"Medium Anti-Tank Gun", kMediumAtGun},
    {"Heavy Anti-Tank Gun", kHeavyAtGun},
    {"Truck Column", kTruck},
    {"Halftrack Section", kHalftrack},
    {"Armored Car Troop", kReconVehicle},
    {"Anti-Aircraft Halftrack", kFlakVehicle},
    {"Light Assault Gun", kLightAssaultGun},
    {"Medium Assault Gun", kMediumAssaultGun},
    {"Heavy Assault Gun", kHeavyAssaultGun},
    {"Armored Assault Gun", kJumboAssaultGun},
    {"Light Tank Destroyer Platoon", kLightTankDestroyer},
    {"Medium Tank Destroyer Platoon", kMediumTankDestroyer},
    {"Heavy Tank Destroyer Platoon", kHeavyTankDestroyer},
    {"Light Tank Platoon", kLightTank},
    {"Medium Tank Platoon", kMediumTank},
    {"Heavy Tank Platoon", kHeavyTank},
    {"Assault Tank Platoon", kJumboTank},
    {"Machine Gun Halftrack", kHmgHalftrack},
    {"Mortar Carrier", kMortarHalftrack},
};

constexpr TeamEntry kGermanTeams[] = {
    {"Battalion Staff", kCommandInfantry},
    {"Staff Halftrack", kCommandHalftrack},
    {"Commander's Tank", kCommandTank},
    {"Panzer Crew", kCrew},
    {"Marksman Pair", kSniper},
    {"Tank Hunter Team", kAntiTankInfantry},
    {"Reconnaissance Patrol", kScout},
    {"Grenadier Squad", kRifle},
    {"Heavy Grenadier Squad", kHeavyRifle},
    {"Storm Squad", kAssaultInfantry},
    {"Pioneer Squad", kEngineer},
    {"Heavy Machine Gun Team", kMachineGun},
    {"Light Mortar Section", kMortar},
    {"Light Infantry Gun", kLightInfantryGun},
    {"Medium Infantry Gun", kMediumInfantryGun},
    {"Heavy Infantry Gun", kHeavyInfantryGun},
    {"Light Flak Section", kLightFlakGun},
    {"Medium Flak Section", kMediumFlakGun},
    {"Heavy Flak Battery", kHeavyFlakGun},
    {"Light Anti-Tank Gun", kLightAtGun},
    {"Medium Anti-Tank Gun", kMediumAtGun},
    {"Heavy Anti-Tank Gun", kHeavyAtGun},
    {"Supply Lorry Column", kTruck},
    {"Grenadier Halftrack", kHalftrack},
    {"Eight-Wheel Scout Car", kReconVehicle},
    {"Flak Halftrack", kFlakVehicle},
    {"Light Assault Gun", kLightAssaultGun},
    {"Assault Gun Platoon", kMediumAssaultGun},
    {"Heavy Assault Gun Platoon", kHeavyAssaultGun},
    {"Siege Gun Platoon", kJumboAssaultGun},
    {"Light Tank Hunter Platoon", kLightTankDestroyer},
    {"Tank Hunter Platoon", kMediumTankDestroyer},
    {"Heavy Tank Hunter Platoon", kHeavyTankDestroyer},
    {"Light Panzer Platoon", kLightTank},
    {"Medium Panzer Platoon", kMediumTank},
    {"Heavy Panzer Platoon", kHeavyTank},
    {"Super-Heavy Panzer Platoon", kJumboTank},
    {"Machine Gun Carrier", kHmgHalftrack},
    {"Mortar Halftrack", kMortarHalftrack},
};

// What a pool is mostly made of: the chances, in percent, that a slot holds
// a tank-category team and an infantry-category team; the rest of the
// slots hold teams of no category (guns, trucks, crews and the like).
struct Mix {
  int tank;
  int infantry;
};
constexpr Mix kArmor = {70, 15};
constexpr Mix kInfantry = {5, 70};
constexpr Mix kCombined = {35, 40};
constexpr Mix kSupport = {10, 20};

struct PoolEntry {
  const char* name;
  int nationality;
  int date;
  Mix mix;
};

// Pools whose names begin with "German", "Allied" or "Americ" are left alone
// by tovrand; a few of each side are here to show it. Only the first six
// characters count, so "Americal Rifle Company" is left alone as well.
constexpr PoolEntry kPools[] = {
    {"Panzer Group North", kGermanNationality, 1943, kArmor},
    {"Panzer Group South", kGermanNationality, 0, kArmor},
    {"Grenadier Battalion Eins", kGermanNationality, 0, kInfantry},
    {"Grenadier Battalion Zwei", kGermanNationality, 1941, kInfantry},
    {"Assault Gun Battery", kGermanNationality, 1942, kArmor},
    {"Reconnaissance Squadron", kGermanNationality, 0, kCombined},
    {"Pioneer Company", kGermanNationality, 1944, kInfantry},
    {"Flak Detachment", kGermanNationality, 0, kSupport},
    {"Heavy Panzer Company", kGermanNationality, 1944, kArmor},
    {"Battle Group Weiss", kGermanNationality, 1945, kCombined},
    {"Security Regiment", kGermanNationality, 0, kInfantry},
    {"Motorized Infantry Company", kGermanNationality, 1940, kCombined},
    {"Tank Hunter Battalion", kGermanNationality, 1943, kCombined},
    {"Mountain Rifle Company", kGermanNationality, 1942, kInfantry},
    {"Coastal Artillery Group", kGermanNationality, 0, kSupport},
    {"Training Panzer Battalion", kGermanNationality, 1945, kArmor},
    {"German Reserve", kGermanNationality, 0, kCombined},
    {"German Armor Reserve", kGermanNationality, 1944, kArmor},
    {"Rifle Company Able", kAlliedNationality, 0, kInfantry},
    {"Rifle Company Baker", kAlliedNationality, 1944, kInfantry},
    {"Rifle Company Charlie", kAlliedNationality, 0, kInfantry},
    {"Armored Task Force Red", kAlliedNationality, 1944, kArmor},
    {"Armored Task Force Blue", kAlliedNationality, 0, kArmor},
    {"Tank Battalion East", kAlliedNationality, 1945, kArmor},
    {"Tank Destroyer Group", kAlliedNationality, 1943, kCombined},
    {"Parachute Company", kAlliedNationality, 0, kInfantry},
    {"Engineer Battalion", kAlliedNationality, 1944, kInfantry},
    {"Cavalry Squadron", kAlliedNationality, 0, kCombined},
    {"Commando Troop", kAlliedNationality, 1942, kInfantry},
    {"Artillery Support Group", kAlliedNationality, 0, kSupport},
    {"Motor Rifle Brigade", kAlliedNationality, 1943, kCombined},
    {"Desert Armored Regiment", kAlliedNationality, 1941, kArmor},
    {"Allied Reserve", kAlliedNationality, 0, kCombined},
    {"Allied Supply Column", kAlliedNationality, 1944, kSupport},
    {"American Armor", kAlliedNationality, 1944, kArmor},
    {"Americal Rifle Company", kAlliedNationality, 0, kInfantry},
};

// One side's teams, and their classes sorted by the category of their type.
struct Side {
  std::vector<Team> teams;
  std::vector<int> by_category[3];  // indexed by TeamCategory

  template <size_t N>
  Side(const TeamEntry (&entries)[N], int first_class) {
    for (size_t i = 0; i < N; ++i) {
      const int team_class = first_class + static_cast<int>(i);
      teams.push_back(Team{entries[i].name, team_class, entries[i].type});
      by_category[static_cast<int>(CategoryOf(entries[i].type))].push_back(
          team_class);
    }
  }
};

std::vector<Slot> MakeSlots(const Side& side, Mix mix, Lcg* lcg) {
  const int count = 2 + lcg->Below(9);  // 2 to 10 slots
  std::vector<Slot> slots;
  while (static_cast<int>(slots.size()) < count) {
    const int roll = lcg->Below(100);
    const TeamCategory category = roll < mix.tank ? TeamCategory::kTank
                                  : roll < mix.tank + mix.infantry
                                      ? TeamCategory::kInfantry
                                      : TeamCategory::kNone;
    const std::vector<int>& classes =
        side.by_category[static_cast<int>(category)];
    const int team_class =
        classes[lcg->Below(static_cast<int>(classes.size()))];
    bool repeated = false;
    for (const Slot& slot : slots) repeated |= slot.team_class == team_class;
    if (repeated) continue;
    // About one slot in eight is empty; the rest hold 1 to 20.
    const int quantity = lcg->Below(8) == 0 ? 0 : 1 + lcg->Below(20);
    slots.push_back(Slot{team_class, quantity});
  }
  return slots;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::printf("Usage: make_sample DIR\n");
    return 1;
  }
  const std::filesystem::path dir = argv[1];
  std::error_code error;
  std::filesystem::create_directories(dir / "Output", error);
  if (error) {
    std::printf("Cannot create %s: %s\n", (dir / "Output").string().c_str(),
                error.message().c_str());
    return 1;
  }

  const Side allied(kAlliedTeams, kFirstAlliedClass);
  const Side german(kGermanTeams, kFirstGermanClass);

  Lcg lcg(19440606u);
  std::vector<Pool> pools;
  for (const PoolEntry& entry : kPools) {
    const Side& side =
        entry.nationality == kAlliedNationality ? allied : german;
    pools.push_back(Pool{entry.name, entry.nationality, entry.date,
                         MakeSlots(side, entry.mix, &lcg)});
  }

  testdata::WriteFile((dir / "Tables.ini").string(),
                      testdata::StandardLayout());
  testdata::WriteFile((dir / "FPools.txt").string(),
                      testdata::PoolRecords(pools));
  testdata::WriteFile((dir / "AlsTeams.txt").string(),
                      testdata::TeamRecords(allied.teams));
  testdata::WriteFile((dir / "GETeams.txt").string(),
                      testdata::TeamRecords(german.teams));
  std::printf("Wrote %zu pools, %zu Allied and %zu German teams to %s\n",
              pools.size(), allied.teams.size(), german.teams.size(),
              dir.string().c_str());
  return 0;
}
