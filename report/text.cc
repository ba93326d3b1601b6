#include "report/text.h"

#include <cstdint>

#include "pool/sides.h"
#include "pool/team_types.h"

namespace tovrand {

namespace {

// Windows-1252's characters for the bytes 80 to 9F, 0 where it has none;
// the bytes A0 to FF are the code points of the same value.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

bool IsControl(uint32_t code) {
  return code < 0x20 || (code >= 0x7F && code <= 0x9F);
}

// Appends `code` in UTF-8, or '?' for a control character.
void AppendShown(uint32_t code, std::string* out) {
  if (IsControl(code)) {
    *out += '?';
  } else if (code < 0x80) {
    *out += static_cast<char>(code);
  } else if (code < 0x800) {
    *out += static_cast<char>(0xC0 | code >> 6);
    *out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    *out += static_cast<char>(0xE0 | code >> 12);
    *out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    *out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    *out += static_cast<char>(0xF0 | code >> 18);
    *out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
    *out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    *out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// The code point of the UTF-8 sequence at the start of `text` and its
// length, or 0 when it is not one: a stray or missing continuation byte, an
// overlong form, a surrogate or a value past U+10FFFF.
size_t DecodeUtf8(std::string_view text, uint32_t* code) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
  const uint8_t lead = byte(0);
  size_t length = 0;
  uint32_t min = 0;
  if (lead < 0x80) {
    *code = lead;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, min = 0x80, *code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, min = 0x800, *code = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, min = 0x10000, *code = lead & 0x07;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    *code = *code << 6 | (byte(i) & 0x3F);
  }
  if (*code < min || *code > 0x10FFFF || (*code >= 0xD800 && *code <= 0xDFFF))
    return 0;
  return length;
}

}  // namespace

std::string OnOneLine(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const uint8_t byte = static_cast<uint8_t>(c);
    if (byte >= 0x80 && byte < 0xA0) {
      const char16_t code = kWindows1252High[byte - 0x80];
      AppendShown(code != 0 ? code : '?', &out);
    } else {
      AppendShown(byte, &out);
    }
  }
  return out;
}

bool IsUtf8(std::string_view text) {
  while (!text.empty()) {
    uint32_t code = 0;
    const size_t length = DecodeUtf8(text, &code);
    if (length == 0) return false;
    text.remove_prefix(length);
  }
  return true;
}

std::string ShownPath(std::string_view path) {
  if (path.empty()) return "\"\"";
  std::string out;
  out.reserve(path.size());
  while (!path.empty()) {
    uint32_t code = 0;
    const size_t length = DecodeUtf8(path, &code);
    AppendShown(length > 0 ? code : '?', &out);
    path.remove_prefix(length > 0 ? length : 1);
  }
  return out;
}

std::string Printable(std::string_view text) {
  std::string out = OnOneLine(text);
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

PoolParts DescribePoolParts(const RecordTable& fpools, const PoolColumns& pool,
                            int index) {
  PoolParts parts;
  std::string_view name;
  if (pool.Name(fpools, index, &name)) parts.name = Printable(name);
  if (parts.name.empty()) parts.name = "pool " + std::to_string(index + 1);
  int nationality = 0;
  if (!fpools.GetByte(index, pool.nationality, &nationality)) {
    parts.side = "no nationality";
  } else if (const char* side = SideName(nationality)) {
    parts.side = side;
  } else {
    parts.side = "nationality " + std::to_string(nationality);
  }
  int date = 0;
  if (fpools.GetWord(index, pool.date, &date)) parts.date = std::to_string(date);
  return parts;
}

std::string DescribePool(const RecordTable& fpools, const PoolColumns& pool,
                         int index) {
  const PoolParts parts = DescribePoolParts(fpools, pool, index);
  return parts.name + " (" + parts.side +
         (parts.date.empty() ? "" : ", date " + parts.date) + ")";
}

TeamParts DescribeTeamParts(const TeamIndex& teams, int team_class) {
  TeamParts parts;
  const std::string class_text = "class " + std::to_string(team_class);
  const int record = teams.RecordOf(team_class);
  if (record < 0) return {class_text, "no team"};
  std::string_view name;
  if (teams.Name(record, &name)) parts.name = Printable(name);
  if (parts.name.empty()) parts.name = class_text;
  int code = 0;
  if (!teams.Type(record, &code)) {
    parts.type = "unknown type";
  } else if (const char* type_name = TeamTypeName(code)) {
    parts.type = type_name;
  } else {
    parts.type = "type " + std::to_string(code);
  }
  return parts;
}

std::string DescribeTeam(const TeamIndex& teams, int team_class) {
  const TeamParts parts = DescribeTeamParts(teams, team_class);
  return parts.name + " (" + parts.type + ")";
}

}  // namespace tovrand
