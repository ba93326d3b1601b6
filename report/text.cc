#include "report/text.h"

#include "pool/sides.h"
#include "pool/team_types.h"

namespace tovrand {

std::string OnOneLine(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) c = '?';
  }
  return out;
}

std::string Printable(std::string_view text) {
  std::string out = OnOneLine(text);
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

std::string DescribePool(const RecordTable& fpools, const PoolColumns& pool,
                         int index) {
  std::string_view name;
  std::string text = pool.Name(fpools, index, &name) ? Printable(name) : "";
  if (text.empty()) text = "pool " + std::to_string(index + 1);
  int nationality = 0;
  text += " (";
  if (!fpools.GetByte(index, pool.nationality, &nationality)) {
    text += "no nationality";
  } else if (const char* side = SideName(nationality)) {
    text += side;
  } else {
    text += "nationality " + std::to_string(nationality);
  }
  int date = 0;
  if (fpools.GetWord(index, pool.date, &date)) {
    text += ", date " + std::to_string(date);
  }
  return text + ")";
}

std::string DescribeTeam(const TeamIndex& teams, int team_class) {
  const std::string class_text = "class " + std::to_string(team_class);
  const int record = teams.RecordOf(team_class);
  if (record < 0) return class_text + " (no team)";
  std::string_view name;
  std::string text = teams.Name(record, &name) ? Printable(name) : "";
  if (text.empty()) text = class_text;
  int code = 0;
  if (!teams.Type(record, &code)) return text + " (unknown type)";
  const char* type_name = TeamTypeName(code);
  return text + " (" +
         (type_name ? std::string(type_name) : "type " + std::to_string(code)) +
         ")";
}

}  // namespace tovrand
