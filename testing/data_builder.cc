#include "testing/data_builder.h"

#include <sstream>

#include "pool/team_types.h"

namespace testdata {

const std::vector<Pool> kPools = {
    {"Kampfgruppe Nord", 1, 0, {{5, 12}, {9, 4}, {11, 3}}},
    {"Kampfgruppe Sud", 1, 1943, {{5, 12}, {9, 4}}},
    {"German Reserve", 1, 0, {{5, 12}}},
    {"Task Force Able", 0, 0, {{5, 10}, {7, 10}}},
    {"Task Force Baker", 0, 1944, {{8, 10}, {7, 10}}},
};
const std::vector<Team> kGermanTeams = {{"Panzer IV", 5, tovrand::kMediumTank},
                                        {"Grenadiers", 9, tovrand::kRifle},
                                        {"Opel Blitz", 11, tovrand::kTruck}};
const std::vector<Team> kAlliedTeams = {{"Sherman", 5, tovrand::kMediumTank},
                                        {"Riflemen", 7, tovrand::kRifle},
                                        {"Jeep", 8, tovrand::kReconVehicle}};


std::string StandardLayout() {
  std::ostringstream ini;
  ini << "; Column layouts of the data files\r\n"
      << "-- one section a file, columns in record order\r\n"
      << "\r\n"
      << "[BGroups]\r\n"
      << "\"Name\",S," << kPoolNameWidth << "\r\n"
      << "\"Reserved\",S,128\r\n"
      << "\r\n"
      << "[FPools]\r\n"
      << "\"Name\",S," << kPoolNameWidth << "\r\n"
      << "\"Nationality\",B\r\n"
      << "\"Pool Type\",B\r\n"
      << "\"Date\",W\r\n";
  for (int k = 1; k <= kPoolSlots; ++k) {
    ini << "\"Team Class " << k << "\",W\r\n"
        << "\"Quantity " << k << "\",W\r\n";
  }
  ini << "\"Reserved\",S," << kPoolSize - TeamClassOffset(kPoolSlots + 1)
      << "\r\n"
      << "\r\n";
  for (const char* side : {"[AlsTeams]", "[GETeams]"}) {
    ini << side << "\r\n"
        << "\"Name\",S," << kTeamNameWidth << "\r\n"
        << "\"Class\",W\r\n"
        << "\"Type\",W\r\n"
        << "\"Cost\",W\r\n"
        << "\"Reserved\",S," << kTeamSize - kTeamType - 4 << "\r\n"
        << "\r\n";
  }
  return ini.str();
}

void PutWord(std::string* bytes, size_t offset, int value) {
  (*bytes)[offset] = static_cast<char>(value & 0xFF);
  (*bytes)[offset + 1] = static_cast<char>((value >> 8) & 0xFF);
}

int GetWord(const std::string& bytes, size_t offset) {
  const unsigned lo = static_cast<unsigned char>(bytes[offset]);
  const unsigned hi = static_cast<unsigned char>(bytes[offset + 1]);
  return static_cast<int16_t>(static_cast<uint16_t>(lo | (hi << 8)));
}

namespace {

void PutName(std::string* record, const std::string& name, size_t width) {
  record->replace(0, name.size() < width ? name.size() : width, name, 0, width);
}

}  // namespace

std::string PoolRecords(const std::vector<Pool>& pools) {
  std::string bytes;
  for (const Pool& pool : pools) {
    std::string record(kPoolSize, '\0');
    PutName(&record, pool.name, kPoolNameWidth);
    record[kPoolNationality] = static_cast<char>(pool.nationality);
    PutWord(&record, kPoolDate, pool.date);
    for (int k = 1; k <= kPoolSlots; ++k) {
      const bool given = static_cast<size_t>(k) <= pool.slots.size();
      PutWord(&record, TeamClassOffset(k),
              given ? pool.slots[k - 1].team_class : -1);
      PutWord(&record, QuantityOffset(k),
              given ? pool.slots[k - 1].quantity : 0);
    }
    bytes += record;
  }
  return bytes;
}

std::string TeamRecords(const std::vector<Team>& teams) {
  std::string bytes;
  for (const Team& team : teams) {
    std::string record(kTeamSize, '\0');
    PutName(&record, team.name, kTeamNameWidth);
    PutWord(&record, kTeamClass, team.team_class);
    PutWord(&record, kTeamType, team.type);
    bytes += record;
  }
  return bytes;
}

}  // namespace testdata
