#ifndef TOVRAND_WINDOW_CONTROLS_H_
#define TOVRAND_WINDOW_CONTROLS_H_

// The ids of the window's dialog and its controls, shared by the dialog
// template (window/tovrand-window.rc.in) and the view.

#define IDD_TOVRAND_WINDOW 100
#define IDC_FOLDER 1001
#define IDC_BROWSE 1002
#define IDC_RELOAD 1003
#define IDC_ALLIED 1004
#define IDC_GERMAN 1005
#define IDC_TANK_DATE0 1006
#define IDC_INFANTRY_DATE0 1007
#define IDC_TANK_OTHER 1008
#define IDC_INFANTRY_OTHER 1009
#define IDC_TOTALS 1010
#define IDC_COUNT 1011
#define IDC_PROGRESS 1012
#define IDC_CHANGES 1013
#define IDC_MESSAGES 1014
#define IDC_FOLDER_LABEL 1015
#define IDC_MESSAGES_LABEL 1016
#define IDC_CHANGES_LABEL 1017
// Write is IDOK, the default button, so that Enter writes; Close is
// IDCANCEL, so that Esc closes.

#endif  // TOVRAND_WINDOW_CONTROLS_H_
