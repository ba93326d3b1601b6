#ifndef TOVRAND_BASE_MESSAGES_H_
#define TOVRAND_BASE_MESSAGES_H_

#include <string>

namespace tovrand {

// Where message lines go. The program sends them to standard output, one
// line each; tests collect them. Nothing is ever written to standard error.
class Messages {
 public:
  virtual ~Messages() = default;
  // Writes `text` followed by one newline.
  virtual void Line(const std::string& text) = 0;
};

// A fatal stop: the run cannot go on. The layout reader and the loader
// report it to their caller, which prints `message` as a line and ends the
// run with status 1.
struct FatalStop {
  bool raised = false;
  std::string message;

  void Raise(std::string text) {
    raised = true;
    message = std::move(text);
  }
};

}  // namespace tovrand

#endif  // TOVRAND_BASE_MESSAGES_H_
