#include "replace/replace.h"

#include "replace/temp_file.h"

namespace tovrand {

bool WriteFileAtomically(const std::string& path, const unsigned char* data,
                         size_t size) {
  RemoveLeftovers(path);
  ReplacedFile replaced;
  if (!InspectTarget(path, &replaced)) return false;
  TempFile temp;  // removed by its destructor unless committed
  return temp.Create(path) && temp.Write(data, size) && temp.Commit(replaced);
}

}  // namespace tovrand
