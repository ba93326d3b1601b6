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
  // Whether a line could not be delivered (a full disk, a closed pipe):
  // a long report may stop making lines that nobody will read.
  virtual bool Failed() const { return false; }
};

}  // namespace tovrand

#endif  // TOVRAND_BASE_MESSAGES_H_
