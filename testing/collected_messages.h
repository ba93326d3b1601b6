#ifndef TOVRAND_TESTING_COLLECTED_MESSAGES_H_
#define TOVRAND_TESTING_COLLECTED_MESSAGES_H_

#include <string>
#include <vector>

#include "base/messages.h"

// Keeps message lines for a test to check.
class CollectedMessages : public tovrand::Messages {
 public:
  void Line(const std::string& text) override { lines.push_back(text); }
  std::vector<std::string> lines;
};

#endif  // TOVRAND_TESTING_COLLECTED_MESSAGES_H_
