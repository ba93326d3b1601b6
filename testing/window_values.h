#ifndef TOVRAND_TESTING_WINDOW_VALUES_H_
#define TOVRAND_TESTING_WINDOW_VALUES_H_

// The window's five values to and from a list of texts, in tovrand's
// order of its arguments: side, date 0 tanks and infantry, other dates'.

#include <string>
#include <vector>

#include "window/model.h"

namespace tovrand {

// The values a shortcut with these five arguments starts the window with.
inline WindowValues Values(const std::vector<std::string>& five) {
  const char* argv[6] = {"tovrand-window"};
  for (int i = 0; i < 5; ++i) argv[i + 1] = five[static_cast<size_t>(i)].c_str();
  return StartValues(6, argv);
}

inline std::vector<std::string> Five(const WindowValues& v) {
  return {v.side, v.tank_date0, v.infantry_date0, v.tank_other, v.infantry_other};
}

}  // namespace tovrand

#endif  // TOVRAND_TESTING_WINDOW_VALUES_H_
