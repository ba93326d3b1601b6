#ifndef TOVRAND_WINDOW_VIEW_WIN32_H_
#define TOVRAND_WINDOW_VIEW_WIN32_H_

namespace tovrand {

// Shows the window (the dialog of window/tovrand-window.rc) over the model
// of window/model.h until it is closed, and returns the program's status:
// 0. `argv` are the program's arguments in UTF-8; tovrand's five start the
// window with their values.
int RunWindow(int argc, const char* const* argv);

}  // namespace tovrand

#endif  // TOVRAND_WINDOW_VIEW_WIN32_H_
