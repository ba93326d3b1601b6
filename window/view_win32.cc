// The window's view: a dialog of native controls over window/model.h. It
// holds no logic of a run: it shows the model's results, and calls the
// model off its own thread (a worker thread, one job at a time), so that
// it keeps repainting while a large folder loads or a preview is made.

#include "window/view_win32.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shobjidl.h>
#include <psapi.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "base/platform.h"
#include "window/controls.h"
#include "window/layout.h"
#include "window/list.h"
#include "window/model.h"
#include "window/remembered.h"

namespace tovrand {

namespace {

// Messages the worker posts to the window; lParam holds the result, which
// the window then owns.
constexpr UINT kLoaded = WM_APP + 1;    // LoadedFolder, wrapped
constexpr UINT kPreviewed = WM_APP + 2; // Preview, with its generation
constexpr UINT kWritten = WM_APP + 3;   // WriteResult
constexpr UINT kSorted = WM_APP + 4;    // SortedMessage
constexpr UINT kCopied = WM_APP + 5;    // CopiedMessage
constexpr UINT kSaved = WM_APP + 6;     // wParam: whether it was saved

struct LoadedMessage {
  unsigned load;  // which of the window's loads
  std::shared_ptr<const LoadedFolder> folder;
};
struct PreviewMessage {
  unsigned generation;
  WindowValues values;  // what the preview was made of
  std::shared_ptr<const Preview> preview;
  ListOrder order;  // what its rows were sorted by
  std::vector<int32_t> sorted;
};
struct SortedMessage {
  // The one sorted, held until the window has seen the message: a preview
  // that comes meanwhile never has its address.
  std::shared_ptr<const Preview> preview;
  ListOrder order;
  std::vector<int32_t> sorted;
};
// The text for the clipboard, in memory it can take (CF_UNICODETEXT), or
// none when there was no memory for it.
struct CopiedMessage {
  HGLOBAL text = nullptr;
  size_t rows = 0;
};

// One thread that runs the window's jobs in turn. A job posted with
// Replace takes the place of one still waiting under its key, and is
// dropped when the window closes: only the latest preview is worth making.
// A job posted with Add (a write) always runs, the window's closing waits
// for it: a write the modder asked for is never cut short or lost.
class Worker {
 public:
  Worker() : thread_([this] { Loop(); }) {}
  ~Worker() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
      Drop([](const Job& job) { return job.key >= 0; });
    }
    ready_.notify_one();
    thread_.join();
  }
  Worker(const Worker&) = delete;
  Worker& operator=(const Worker&) = delete;

  void Replace(int key, std::function<void()> job) { Push(key, std::move(job)); }
  void Add(std::function<void()> job) { Push(-1, std::move(job)); }

 private:
  struct Job {
    int key;  // -1: kept
    std::function<void()> run;
  };

  template <typename Match>
  void Drop(Match match) {
    for (auto it = jobs_.begin(); it != jobs_.end();)
      it = match(*it) ? jobs_.erase(it) : it + 1;
  }

  void Push(int key, std::function<void()> run) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (key >= 0) Drop([key](const Job& job) { return job.key == key; });
      jobs_.push_back(Job{key, std::move(run)});
    }
    ready_.notify_one();
  }

  void Loop() {
    for (;;) {
      std::function<void()> run;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        ready_.wait(lock, [this] { return stop_ || !jobs_.empty(); });
        if (jobs_.empty()) return;  // stopped, with nothing kept to do
        run = std::move(jobs_.front().run);
        jobs_.pop_front();
      }
      run();
    }
  }

  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<Job> jobs_;
  bool stop_ = false;
  std::thread thread_;
};

// The timer that beats while the list is sorted or copied: the longest
// time between its beats is the longest the window went without
// repainting, for the benchmark.
constexpr UINT_PTR kPulse = 1;

enum JobKey { kLoadJob, kPreviewJob, kSortJob, kCopyJob };

// With TOVRAND_WINDOW_LOG set, what the window shows is added to the file
// it names too, a line each ("preview: 3 quantities will change", and
// "closed" once the window and its last job have ended), for a test that
// drives the window to know when it may press the next key ("active": the
// window takes keys).
std::string LogPath() {
  const wchar_t* path = _wgetenv(L"TOVRAND_WINDOW_LOG");
  return path != nullptr ? Utf8FromWide(path) : std::string();
}

void LogShown(const std::string& log, const char* what,
              const std::vector<std::string>& lines) {
  if (log.empty()) return;
  std::FILE* file = _wfopen(WideFromUtf8(log).c_str(), L"ab");
  if (file == nullptr) return;
  for (const std::string& line : lines)
    std::fprintf(file, "%s: %s\n", what, line.c_str());
  if (lines.empty()) std::fprintf(file, "%s\n", what);
  std::fclose(file);
}

std::string TextOf(HWND control) {
  const int length = GetWindowTextLengthW(control);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  GetWindowTextW(control, &text[0], length + 1);
  text.resize(static_cast<size_t>(length));
  return Utf8FromWide(text);
}

void SetText(HWND control, const std::string& text) {
  SetWindowTextW(control, WideFromUtf8(text).c_str());
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : "\r\n") + line;
  return text;
}

// The folder a program file is in.
std::string FolderOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return Utf8FromWide(slash == std::wstring::npos ? L"." : path.substr(0, slash));
}

std::string ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD got = GetModuleFileNameW(nullptr, &path[0],
                                         static_cast<DWORD>(path.size()));
    if (got == 0) return ".";
    if (got < path.size()) return FolderOf(path.substr(0, got));
    path.resize(path.size() * 2);
  }
}

std::string CurrentFolder() {
  const DWORD size = GetCurrentDirectoryW(0, nullptr);
  std::wstring path(size, L'\0');
  const DWORD got = GetCurrentDirectoryW(size, &path[0]);
  path.resize(got < size ? got : 0);
  return path.empty() ? "." : Utf8FromWide(path);
}

// The system's folder picker, starting at `start`; "" when cancelled.
std::string PickFolder(HWND owner, const std::string& start) {
  std::string picked;
  IFileOpenDialog* dialog = nullptr;
  if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr,
                              CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog))))
    return picked;
  DWORD options = 0;
  dialog->GetOptions(&options);
  dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM);
  IShellItem* folder = nullptr;
  if (SUCCEEDED(SHCreateItemFromParsingName(WideFromUtf8(start).c_str(), nullptr,
                                            IID_PPV_ARGS(&folder)))) {
    dialog->SetFolder(folder);
    folder->Release();
  }
  IShellItem* item = nullptr;
  PWSTR path = nullptr;
  if (SUCCEEDED(dialog->Show(owner)) && SUCCEEDED(dialog->GetResult(&item)) &&
      SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &path))) {
    picked = Utf8FromWide(path);
    CoTaskMemFree(path);
  }
  if (item != nullptr) item->Release();
  dialog->Release();
  return picked;
}

// The dialog's controls in its template's order (Control), by their ids;
// 0 for the template's unnamed labels, which are found by that order.
constexpr int kControlIds[kControls] = {
    IDC_FOLDER_LABEL, IDC_FOLDER, IDC_BROWSE, IDC_RELOAD,
    0, IDC_ALLIED, IDC_GERMAN,
    0, IDC_TANK_DATE0, 0, IDC_INFANTRY_DATE0,
    0, IDC_TANK_OTHER, 0, IDC_INFANTRY_OTHER,
    IDC_TOTALS, IDC_CHANGES_LABEL, IDC_COUNT, IDC_PROGRESS, IDC_CHANGES,
    IDC_MESSAGES_LABEL, IDC_MESSAGES, IDOK, IDCANCEL};
// The labels of the window's left column, as wide as the widest of them.
constexpr Control kLabels[] = {
    Control::kFolderLabel,    Control::kSideLabel,
    Control::kTankDate0Label, Control::kInfantryDate0Label,
    Control::kTankOtherLabel, Control::kInfantryOtherLabel,
    Control::kChangesLabel,   Control::kMessagesLabel};

static_assert(kListColumns == kRowColumns, "a width for every column");

// The dialog's font, as its template has it, in points.
constexpr int kFontPoints = 9;
constexpr wchar_t kFontFace[] = L"MS Shell Dlg 2";

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

// The calls of a per-monitor scale, where Windows has them (10 1607 and
// later); before, the window has the system's scale.
struct DpiCalls {
  DpiCalls() {
    HMODULE user = GetModuleHandleW(L"user32.dll");
    Find(user, "GetDpiForWindow", &for_window);
    Find(user, "GetSystemMetricsForDpi", &metrics);
    Find(user, "AdjustWindowRectExForDpi", &adjust);
    Find(user, "SetDialogDpiChangeBehavior", &dialog_behavior);
    Find(user, "SetDialogControlDpiChangeBehavior", &control_behavior);
  }
  template <typename Call>
  static void Find(HMODULE module, const char* name, Call* call) {
    using Any = void (*)();
    *call = module == nullptr ? nullptr
                              : reinterpret_cast<Call>(reinterpret_cast<Any>(
                                    GetProcAddress(module, name)));
  }

  UINT(WINAPI* for_window)(HWND) = nullptr;
  int(WINAPI* metrics)(int, UINT) = nullptr;
  BOOL(WINAPI* adjust)(RECT*, DWORD, BOOL, DWORD, UINT) = nullptr;
  // Where Windows would scale a dialog itself on a change of scale (10
  // 1703 and later), what it would do is turned off: the view does it.
  BOOL(WINAPI* dialog_behavior)(HWND, int, int) = nullptr;
  BOOL(WINAPI* control_behavior)(HWND, int, int) = nullptr;
  static constexpr int kDialogAll = 1;        // DDC_DISABLE_ALL
  static constexpr int kControlFontAndPlace = 3;  // DCDC_DISABLE_FONTUPDATE,
                                                  // DCDC_DISABLE_RELAYOUT
};

std::string PointText(LONG x, LONG y) {
  return std::to_string(x) + "," + std::to_string(y);
}
std::string RectText(const RECT& r) {
  return PointText(r.left, r.top) + " " + PointText(r.right, r.bottom);
}

// Texts as Windows sorts them for the user's language.
bool UserLess(const std::string& a, const std::string& b) {
  const std::wstring wide_a = WideFromUtf8(a), wide_b = WideFromUtf8(b);
  const int order = CompareStringEx(LOCALE_NAME_USER_DEFAULT, 0,
                                    wide_a.c_str(), -1, wide_b.c_str(), -1,
                                    nullptr, nullptr, 0);
  return order != 0 ? order == CSTR_LESS_THAN : a < b;
}

// The user's %APPDATA%, where the window keeps what it remembers.
std::string AppData() {
  const wchar_t* path = _wgetenv(L"APPDATA");
  return path != nullptr ? Utf8FromWide(path) : std::string();
}

// The rows (indices into preview.rows) the list shows from `from` to
// `to`, in its order.
std::vector<int32_t> RowsShown(const std::vector<int32_t>& sorted, int from,
                               int to) {
  std::vector<int32_t> rows;
  for (int i = from; i < to; ++i) rows.push_back(RowAt(sorted, i));
  return rows;
}

// `pieces` as Windows' clipboard takes text: UTF-16 in movable memory,
// each piece let go once turned. Null when there is no memory for it.
HGLOBAL ClipboardText(std::vector<std::string> pieces) {
  size_t size = 0;
  for (const std::string& piece : pieces)
    size += static_cast<size_t>(MultiByteToWideChar(
        CP_UTF8, 0, piece.data(), static_cast<int>(piece.size()), nullptr, 0));
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (size + 1) * sizeof(wchar_t));
  if (memory == nullptr) return nullptr;
  auto* wide = static_cast<wchar_t*>(GlobalLock(memory));
  if (wide == nullptr) {
    GlobalFree(memory);
    return nullptr;
  }
  size_t at = 0;
  for (std::string& piece : pieces) {
    at += static_cast<size_t>(MultiByteToWideChar(
        CP_UTF8, 0, piece.data(), static_cast<int>(piece.size()), wide + at,
        static_cast<int>(size - at)));
    std::string().swap(piece);
  }
  wide[at] = L'\0';
  GlobalUnlock(memory);
  return memory;
}

class View {
 public:
  View(int argc, const char* const* argv)
      : log_(LogPath()), remembered_path_(RememberedPath(AppData())) {
    LoadRemembered(remembered_path_, &remembered_);
    WindowStart start = StartWindow(argc, argv, remembered_, ProgramFolder(),
                                    CurrentFolder());
    folder_ = std::move(start.folder);
    values_ = std::move(start.values);
    // What the start has to say (a wrong number of values, in tovrand's
    // words; a remembered folder gone) is said over the first preview.
    written_ = std::move(start.said);
  }
  ~View() {
    if (font_ != nullptr) DeleteObject(font_);
    if (clipboard_text_ != nullptr) GlobalFree(clipboard_text_);
  }
  View(const View&) = delete;
  View& operator=(const View&) = delete;

  static INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_INITDIALOG) {
      SetWindowLongPtrW(dialog, DWLP_USER, l);
      reinterpret_cast<View*>(l)->Init(dialog);
      return FALSE;  // Init has set the focus
    }
    auto* view = reinterpret_cast<View*>(GetWindowLongPtrW(dialog, DWLP_USER));
    return view != nullptr ? view->Handle(message, w, l) : FALSE;
  }

 private:
  HWND Item(int id) const { return GetDlgItem(dialog_, id); }
  HWND Item(Control control) const {
    return controls_[static_cast<size_t>(control)];
  }

  void Init(HWND dialog) {
    dialog_ = dialog;
    HWND child = GetWindow(dialog_, GW_CHILD);
    for (int i = 0; i < kControls; ++i) {
      controls_[i] = kControlIds[i] != 0 ? Item(kControlIds[i]) : child;
      if (child != nullptr) child = GetWindow(child, GW_HWNDNEXT);
    }
    if (dpi_calls_.dialog_behavior != nullptr)
      dpi_calls_.dialog_behavior(dialog_, DpiCalls::kDialogAll,
                                 DpiCalls::kDialogAll);
    if (dpi_calls_.control_behavior != nullptr) {
      for (HWND control : controls_)
        dpi_calls_.control_behavior(control, DpiCalls::kControlFontAndPlace,
                                    DpiCalls::kControlFontAndPlace);
    }
    dpi_ = Dpi();
    SetFont();

    HWND list = Item(IDC_CHANGES);
    const WindowLayout layout = Layout(Client());
    ListView_SetExtendedListViewStyle(
        list, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP);
    for (int i = 0; i < kRowColumns; ++i) {
      LVCOLUMNW column = {};
      column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
      column.fmt = i >= 6 || i == 3 ? LVCFMT_RIGHT : LVCFMT_LEFT;
      column.cx = layout.columns[i];
      std::wstring header = WideFromUtf8(kColumnHeaders[i]);
      column.pszText = &header[0];
      SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i),
                   reinterpret_cast<LPARAM>(&column));
    }

    FitToScreen();
    DragAcceptFiles(dialog_, TRUE);

    filling_ = true;
    // A side that is neither selects no button, and is refused in
    // tovrand's words until one is chosen.
    const char side = values_.side.empty() ? '\0' : values_.side[0];
    if (side == 'a' || side == 'A' || side == 'g' || side == 'G')
      CheckRadioButton(dialog_, IDC_ALLIED, IDC_GERMAN,
                       side == 'a' || side == 'A' ? IDC_ALLIED : IDC_GERMAN);
    other_side_ = values_.side;
    SetText(Item(IDC_TANK_DATE0), values_.tank_date0);
    SetText(Item(IDC_INFANTRY_DATE0), values_.infantry_date0);
    SetText(Item(IDC_TANK_OTHER), values_.tank_other);
    SetText(Item(IDC_INFANTRY_OTHER), values_.infantry_other);
    filling_ = false;
    Load();
    // The values are what a modder comes to change.
    SendMessageW(dialog_, WM_NEXTDLGCTL,
                 reinterpret_cast<WPARAM>(Item(IDC_TANK_DATE0)), TRUE);
  }

  // The window's scale: its monitor's.
  int Dpi() const {
    const UINT dpi = dpi_calls_.for_window != nullptr
                         ? dpi_calls_.for_window(dialog_)
                         : 0;
    if (dpi > 0) return static_cast<int>(dpi);
    HDC dc = GetDC(dialog_);
    const int system = GetDeviceCaps(dc, LOGPIXELSX);
    ReleaseDC(dialog_, dc);
    return system > 0 ? system : 96;
  }

  // The dialog's font made anew for the scale, on every control, and
  // measured for the layout.
  void SetFont() {
    LOGFONTW face = {};
    face.lfHeight = -MulDiv(kFontPoints, dpi_, 72);
    face.lfWeight = FW_NORMAL;
    face.lfCharSet = DEFAULT_CHARSET;
    std::copy(std::begin(kFontFace), std::end(kFontFace), face.lfFaceName);
    HFONT font = CreateFontIndirectW(&face);
    if (font != nullptr) {
      for (HWND control : controls_) {
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font),
                     FALSE);
      }
      if (font_ != nullptr) DeleteObject(font_);
      font_ = font;
    }
    // With no font of its own, the template's, at the system's scale.
    metrics_ = Measure(font_ != nullptr ? font_
                                        : reinterpret_cast<HFONT>(SendMessageW(
                                              dialog_, WM_GETFONT, 0, 0)));
  }

  FontMetrics Measure(HFONT font) const {
    FontMetrics metrics;
    HDC dc = GetDC(dialog_);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW text = {};
    GetTextMetricsW(dc, &text);
    metrics.char_width = text.tmAveCharWidth;
    metrics.line_height = text.tmHeight;
    auto width = [dc](const std::wstring& line, UINT format) {
      RECT r = {0, 0, 0, 0};
      DrawTextW(dc, line.c_str(), static_cast<int>(line.size()), &r,
                DT_CALCRECT | DT_SINGLELINE | format);
      return static_cast<int>(r.right - r.left);
    };
    for (Control label : kLabels)
      metrics.label_width = std::max(
          metrics.label_width, width(WideFromUtf8(TextOf(Item(label))), 0));
    for (Control side : {Control::kAllied, Control::kGerman})
      metrics.radio_width = std::max(
          metrics.radio_width, width(WideFromUtf8(TextOf(Item(side))), 0));
    for (const char* line : kWidestTotals)
      metrics.totals_width = std::max(metrics.totals_width,
                                      width(WideFromUtf8(line), DT_NOPREFIX));
    SelectObject(dc, old);
    ReleaseDC(dialog_, dc);
    metrics.scrollbar =
        dpi_calls_.metrics != nullptr
            ? dpi_calls_.metrics(SM_CXVSCROLL, static_cast<UINT>(dpi_))
            : GetSystemMetrics(SM_CXVSCROLL);
    return metrics;
  }

  Size Client() const {
    RECT client;
    GetClientRect(dialog_, &client);
    return {client.right, client.bottom};
  }

  WindowLayout Layout(Size client) const {
    return LayOut(client, dpi_, metrics_, widths_);
  }

  // The window's size beyond its client area: its frame and caption.
  Size Frame() const {
    RECT r = {0, 0, 0, 0};
    const DWORD style = static_cast<DWORD>(GetWindowLongW(dialog_, GWL_STYLE));
    const DWORD ex = static_cast<DWORD>(GetWindowLongW(dialog_, GWL_EXSTYLE));
    if (dpi_calls_.adjust != nullptr)
      dpi_calls_.adjust(&r, style, FALSE, ex, static_cast<UINT>(dpi_));
    else
      AdjustWindowRectEx(&r, style, FALSE, ex);
    return {r.right - r.left, r.bottom - r.top};
  }

  Size Smallest() const {
    const Size client = SmallestClient(dpi_, metrics_);
    const Size frame = Frame();
    return {client.width + frame.width, client.height + frame.height};
  }

  // The start size, within the monitor's work area (less its taskbar),
  // in its middle.
  void FitToScreen() {
    const Size start = StartClient(dpi_, metrics_);
    const Size frame = Frame();
    const Size smallest = Smallest();
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromWindow(dialog_, MONITOR_DEFAULTTONEAREST),
                         &monitor))
      return;
    const RECT& work = monitor.rcWork;
    const int work_width = work.right - work.left;
    const int work_height = work.bottom - work.top;
    const int width = std::max(
        std::min(start.width + frame.width, work_width), smallest.width);
    const int height = std::max(
        std::min(start.height + frame.height, work_height), smallest.height);
    SetWindowPos(dialog_, nullptr,
                 work.left + std::max(0, work_width - width) / 2,
                 work.top + std::max(0, work_height - height) / 2, width,
                 height, SWP_NOZORDER | SWP_NOACTIVATE);
  }

  INT_PTR Handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
      case WM_COMMAND:
        return Command(LOWORD(w), HIWORD(w));
      case WM_NOTIFY:
        return Notify(reinterpret_cast<NMHDR*>(l));
      case WM_SIZE:
        Place();
        return TRUE;
      case WM_GETMINMAXINFO:
        if (dialog_ != nullptr) {
          const Size smallest = Smallest();
          reinterpret_cast<MINMAXINFO*>(l)->ptMinTrackSize = {smallest.width,
                                                              smallest.height};
        }
        return TRUE;
      case WM_DPICHANGED: {
        // Another monitor's scale: the font, the sizes and the columns
        // made for it, in the rectangle Windows suggests.
        const int old_dpi = dpi_;
        dpi_ = LOWORD(w) > 0 ? LOWORD(w) : Dpi();
        for (int& width : widths_.fit) width = MulDiv(width, dpi_, old_dpi);
        SetFont();
        const RECT& r = *reinterpret_cast<const RECT*>(l);
        SetWindowPos(dialog_, nullptr, r.left, r.top, r.right - r.left,
                     r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
        Place();
        return TRUE;
      }
      case kLoaded: {
        std::unique_ptr<LoadedMessage> loaded(
            reinterpret_cast<LoadedMessage*>(l));
        // A folder asked for before the last one asked for is not shown.
        if (loaded->load != load_) return TRUE;
        Loaded(std::move(loaded->folder));
        const ULONGLONG load_asked = asked_;
        Preview();
        keep_said_ = false;
        asked_ = load_asked;  // the preview's time counts the loading
        return TRUE;
      }
      case kPreviewed: {
        std::unique_ptr<PreviewMessage> made(
            reinterpret_cast<PreviewMessage*>(l));
        if (made->generation == generation_) {
          previewing_ = false;
          preview_ = std::move(made->preview);
          preview_values_ = std::move(made->values);
          sorted_ = std::move(made->sorted);
          shown_order_ = made->order;
          ShowPreview();
          // A header clicked while the preview was coming.
          if (shown_order_ != order_) Sort();
          // A Write asked for while the preview was coming.
          if (write_pending_) {
            write_pending_ = false;
            if (preview_->failure.empty()) {
              StartWrite();
            } else {
              Log("write refused", preview_->failure);
              written_ = preview_->failure;
              EndIfClosing(true);
            }
          }
        }
        return TRUE;
      }
      case kWritten: {
        std::unique_ptr<WriteResult> written(reinterpret_cast<WriteResult*>(l));
        Written(*written);
        return TRUE;
      }
      case kSorted: {
        std::unique_ptr<SortedMessage> sorted(reinterpret_cast<SortedMessage*>(l));
        Sorted(sorted.get());
        return TRUE;
      }
      case kCopied: {
        std::unique_ptr<CopiedMessage> copied(reinterpret_cast<CopiedMessage*>(l));
        Copied(copied.get());
        return TRUE;
      }
      case kSaved:
        Log("remembered", {w != 0 ? "saved" : "could not be saved"});
        return TRUE;
      case WM_RENDERFORMAT:
        if (w == CF_UNICODETEXT) RenderText();
        return TRUE;
      case WM_RENDERALLFORMATS:
        // The window closes: what it copied stays on the clipboard.
        if (OpenClipboard(dialog_)) {
          if (GetClipboardOwner() == dialog_) RenderText();
          CloseClipboard();
        }
        return TRUE;
      case WM_DESTROYCLIPBOARD:
        ForgetText();
        return TRUE;
      case WM_DROPFILES:
        Drop(reinterpret_cast<HDROP>(w));
        return TRUE;
      case WM_CONTEXTMENU:
        if (reinterpret_cast<HWND>(w) != Item(IDC_CHANGES)) return FALSE;
        ListMenu(l);
        return TRUE;
      case WM_TIMER:
        if (w == kPulse) Pulse();
        return TRUE;
      case WM_ACTIVATE:
        // Keys reach the window from now on.
        if (LOWORD(w) != WA_INACTIVE) Log("active", {});
        return FALSE;
      case WM_CLOSE:
        Close();
        return TRUE;
    }
    return FALSE;
  }

  // Closing waits for a write asked for: the window stays up, says so, and
  // goes once the write has ended, saying first when it failed.
  void Close() {
    if (!writing_ && !write_pending_) {
      ended_ = true;
    EndDialog(dialog_, IDCANCEL);
      return;
    }
    if (closing_) return;
    closing_ = true;
    SetText(Item(IDC_MESSAGES), "Writing " + ShownOutput() + "...");
    Log("closing", {});
  }

  // Once a write has ended (`failed` or not), a window asked to close goes.
  void EndIfClosing(bool failed) {
    if (!closing_) return;
    if (failed) {
      Log("failed before closing", {});
      MessageBoxW(dialog_, WideFromUtf8(JoinLines(written_)).c_str(),
                  L"tovrand: nothing was written", MB_OK | MB_ICONWARNING);
    }
    ended_ = true;
    EndDialog(dialog_, IDCANCEL);
  }

  void Written(const WriteResult& written) {
    writing_ = false;
    written_ = written.lines;
    if (written.status == 0) {
      remembered_.folder = writing_folder_;
      remembered_.has_values = true;
      remembered_.values = writing_values_;
      Remember();
    }
    Log("write", written.lines);
    Log("write took", {std::to_string(written.took_us / 1000) + " ms, the check " +
                       std::to_string(written.check_us / 1000) + " ms"});
    if (written.status != 0 && written.no_output && !closing_ &&
        AskToMakeOutput()) {
      return;
    }
    ShowMessages();
    UpdateWrite();
    RestoreFocus();
    if (written.reload && !closing_) {
      // The list shows the folder as it now is; Write's lines stay.
      keep_said_ = true;
      Load();
    }
    EndIfClosing(written.status != 0);
  }

  // Offers to make the data folder's Output folder, then writes. False
  // when the modder declines or it could not be made.
  bool AskToMakeOutput() {
    Log("asked", {"make the Output folder"});
    const int answer = MessageBoxW(
        dialog_,
        L"The data folder has no Output folder, where tovrand writes "
        L"FPools.txt.\n\nMake the Output folder, and write?",
        L"tovrand", MB_YESNO | MB_ICONQUESTION);
    if (answer != IDYES) return false;
    if (!MakeOutputFolder(loaded_->folder)) {
      written_.push_back("The Output folder could not be made");
      return false;
    }
    StartWrite();
    return true;
  }

  INT_PTR Command(int id, int code) {
    switch (id) {
      case IDOK:
        // Enter in the folder's box reads the folder typed there.
        if (GetFocus() == Item(IDC_FOLDER)) {
          TypedFolder();
        } else {
          Write();
        }
        return TRUE;
      case IDC_FOLDER:
        if (code == EN_KILLFOCUS) TypedFolder();
        return TRUE;
      case IDCANCEL:
        Close();
        return TRUE;
      case IDC_BROWSE: {
        if (Busy()) return TRUE;
        const std::string picked = PickFolder(dialog_, folder_);
        if (!picked.empty()) TryFolder(picked);
        return TRUE;
      }
      case IDC_RELOAD:
        if (!Busy()) Load();
        return TRUE;
      case IDC_ALLIED:
      case IDC_GERMAN:
        if (code == BN_CLICKED && !filling_) {
          other_side_.clear();
          Preview();
        }
        return TRUE;
      case IDC_TANK_DATE0:
      case IDC_INFANTRY_DATE0:
      case IDC_TANK_OTHER:
      case IDC_INFANTRY_OTHER:
        if (code == EN_CHANGE && !filling_) Preview();
        return TRUE;
    }
    return FALSE;
  }

  INT_PTR Notify(NMHDR* header) {
    HWND list = Item(IDC_CHANGES);
    if (header->hwndFrom == ListView_GetHeader(list) &&
        (header->code == HDN_ENDTRACKW || header->code == HDN_ITEMCHANGEDW)) {
      // A width the modder drags is kept while the window is open. (The
      // end of a drag says it; Windows then says the width has changed,
      // as it does for the view's own widths, which are not the modder's.)
      const auto* changed = reinterpret_cast<const NMHEADERW*>(header);
      if (!placing_ && changed->pitem != nullptr &&
          (changed->pitem->mask & HDI_WIDTH) != 0 && changed->iItem >= 0 &&
          changed->iItem < kListColumns) {
        widths_.set[changed->iItem] = true;
        widths_.fit[changed->iItem] = changed->pitem->cxy;
      }
      return FALSE;
    }
    if (header->idFrom != IDC_CHANGES) return FALSE;
    if (header->code == LVN_COLUMNCLICK) {
      order_ = ClickedOrder(order_,
                            reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
      ShowOrder();
      Sort();
      return TRUE;
    }
    if (header->code == LVN_KEYDOWN) {
      const WORD key = reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey;
      if (GetKeyState(VK_CONTROL) < 0 && key == 'A') SelectAll();
      if (GetKeyState(VK_CONTROL) < 0 && key == 'C') Copy();
      return TRUE;
    }
    if (header->code != LVN_GETDISPINFOW) return FALSE;
    LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(header)->item;
    if ((item.mask & LVIF_TEXT) == 0 || preview_ == nullptr ||
        item.iItem < 0 ||
        static_cast<size_t>(item.iItem) >= preview_->rows.size() ||
        item.iSubItem < 0 || item.iSubItem >= kRowColumns || item.cchTextMax <= 0)
      return FALSE;
    // The list asks column by column: a row's texts are made once.
    if (shown_row_ != item.iItem) {
      const auto columns = RowColumns(
          *preview_, preview_->rows[static_cast<size_t>(RowAt(sorted_, item.iItem))]);
      for (int i = 0; i < kRowColumns; ++i) shown_columns_[i] = WideFromUtf8(columns[i]);
      shown_row_ = item.iItem;
    }
    const std::wstring& text = shown_columns_[item.iSubItem];
    const size_t size =
        std::min(text.size(), static_cast<size_t>(item.cchTextMax - 1));
    text.copy(item.pszText, size);
    item.pszText[size] = L'\0';
    return TRUE;
  }

  // The controls where the layout has them for the client area, the
  // list's columns as wide as it has them.
  void Place() {
    if (controls_[0] == nullptr) return;  // before Init
    const WindowLayout layout = Layout(Client());
    placing_ = true;
    HDWP moves = BeginDeferWindowPos(kControls);
    for (int i = 0; i < kControls && moves != nullptr; ++i) {
      const Rect& r = layout.rects[i];
      moves = DeferWindowPos(moves, controls_[i], nullptr, r.left, r.top,
                             r.Width(), r.Height(),
                             SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (moves != nullptr) EndDeferWindowPos(moves);
    HWND list = Item(Control::kChanges);
    for (int i = 0; i < kListColumns; ++i) {
      if (ListView_GetColumnWidth(list, i) != layout.columns[i])
        ListView_SetColumnWidth(list, i, layout.columns[i]);
    }
    placing_ = false;
    InvalidateRect(dialog_, nullptr, TRUE);
    if (log_.empty()) return;
    // Where the window and Write and Close are on the screen, and how
    // small the window can be made.
    RECT window, write, close;
    GetWindowRect(dialog_, &window);
    GetWindowRect(Item(Control::kWrite), &write);
    GetWindowRect(Item(Control::kClose), &close);
    const Size smallest = Smallest();
    Log("layout", {"window " + RectText(window) + " size " +
                   std::to_string(window.right - window.left) + "x" +
                   std::to_string(window.bottom - window.top) + " smallest " +
                   std::to_string(smallest.width) + "x" +
                   std::to_string(smallest.height) + " dpi " +
                   std::to_string(dpi_) + " Write " + RectText(write) +
                   " Close " + RectText(close)});
    // The list's header, for a test to click a column's.
    RECT header;
    GetWindowRect(ListView_GetHeader(list), &header);
    Log("header", {RectText(header)});
  }

  WindowValues ReadValues() const {
    WindowValues values;
    values.side = !other_side_.empty() ? other_side_
                  : IsDlgButtonChecked(dialog_, IDC_ALLIED) == BST_CHECKED
                      ? "a"
                      : "g";
    values.tank_date0 = TextOf(Item(IDC_TANK_DATE0));
    values.infantry_date0 = TextOf(Item(IDC_INFANTRY_DATE0));
    values.tank_other = TextOf(Item(IDC_TANK_OTHER));
    values.infantry_other = TextOf(Item(IDC_INFANTRY_OTHER));
    return values;
  }

  // The folder typed in the folder's box, once Enter is pressed there or
  // it is left: read, unless it is the one shown.
  void TypedFolder() {
    if (ended_) return;  // the box loses the focus as the window goes
    const std::string typed = TextOf(Item(IDC_FOLDER));
    if (typed == folder_) return;
    if (typed.empty()) {
      SetText(Item(IDC_FOLDER), folder_);
      return;
    }
    TryFolder(typed);
  }

  // Reads a folder typed, dropped or picked. One that cannot be read says
  // so in tovrand's words, and the folder shown before stays.
  void TryFolder(const std::string& folder) {
    if (Busy()) {
      SetText(Item(IDC_FOLDER), folder_);
      return;
    }
    folder_ = folder;
    Load(true);
  }

  // `trying`: a new folder, which replaces the one shown only once it
  // could be read.
  void Load(bool trying = false) {
    trying_ = trying && loaded_ != nullptr && loaded_->failure.empty();
    fit_pending_ = loaded_ == nullptr || loaded_->folder != folder_;
    asked_ = GetTickCount64();
    SetText(Item(IDC_FOLDER), folder_);
    loading_ = true;
    ++generation_;
    preview_.reset();
    ShowBusy("Reading the data folder...", true);
    const std::string folder = folder_;
    HWND dialog = dialog_;
    const unsigned load = ++load_;
    worker_.Replace(kLoadJob, [folder, load, dialog] {
      auto message = std::make_unique<LoadedMessage>();
      message->load = load;
      try {
        message->folder = LoadFolder(folder);
      } catch (const std::bad_alloc&) {
        auto failed = std::make_shared<LoadedFolder>();
        failed->folder = folder;
        failed->failure = {"malloc failed"};
        message->folder = std::move(failed);
      }
      if (PostMessageW(dialog, kLoaded, 0,
                       reinterpret_cast<LPARAM>(message.get())))
        message.release();
    });
  }

  // A folder read. One tried that could not be read leaves the last one
  // that could, with tovrand's lines of why, and cancels a Write asked for
  // meanwhile: it was for the folder that could not be read.
  void Loaded(std::shared_ptr<const LoadedFolder> folder) {
    loading_ = false;
    const bool kept = trying_ && !folder->failure.empty();
    trying_ = false;
    if (kept) {
      written_ = folder->failure;
      written_.push_back("The window still shows " + loaded_->folder);
      keep_said_ = true;
      folder_ = loaded_->folder;
      SetText(Item(IDC_FOLDER), folder_);
      fit_pending_ = false;
      Log("kept", written_);
      if (write_pending_) {
        write_pending_ = false;
        Log("write refused", {});
        EndIfClosing(true);
      }
      return;
    }
    loaded_ = std::move(folder);
    if (loaded_->failure.empty()) {
      Log("folder", {loaded_->folder});
      if (remembered_.folder != loaded_->folder) {
        remembered_.folder = loaded_->folder;
        Remember();
      }
    }
  }

  // What the window remembers, saved off its thread: a file that cannot
  // be written costs only the memory.
  void Remember() {
    const std::string path = remembered_path_;
    const Remembered remembered = remembered_;
    HWND dialog = dialog_;
    worker_.Add([path, remembered, dialog] {
      const bool saved = SaveRemembered(path, remembered);
      PostMessageW(dialog, kSaved, saved ? 1 : 0, 0);
    });
  }

  void Preview() {
    ++generation_;
    asked_ = GetTickCount64();
    if (!keep_said_) written_.clear();
    if (loading_ || loaded_ == nullptr) return;  // made once loaded
    previewing_ = true;
    ShowBusy("", false);
    const unsigned generation = generation_;
    const WindowValues values = ReadValues();
    std::shared_ptr<const LoadedFolder> loaded = loaded_;
    HWND dialog = dialog_;
    const ListOrder order = order_;
    worker_.Replace(kPreviewJob, [generation, values, loaded, order, dialog] {
      auto message = std::make_unique<PreviewMessage>();
      message->generation = generation;
      message->values = values;
      message->order = order;
      try {
        std::unique_ptr<tovrand::Preview> made = MakePreview(loaded, values);
        if (made->failure.empty())
          message->sorted = SortRows(*made, order, UserLess);
        message->preview = std::move(made);
      } catch (const std::bad_alloc&) {
        auto failed = std::make_unique<tovrand::Preview>(loaded);
        failed->failure = {"malloc failed"};
        message->preview = std::move(failed);
        message->sorted.clear();
      }
      if (PostMessageW(dialog, kPreviewed, 0,
                       reinterpret_cast<LPARAM>(message.get())))
        message.release();
    });
  }

  // Write writes what the list shows: the folder and values of the preview
  // on screen. Pressed while the preview of the values on screen is still
  // coming, it writes once that has come, unless it refuses them.
  void Write() {
    if (Busy() || closing_) return;
    if (loading_ || previewing_) {
      write_pending_ = true;
      SaveFocus();
      UpdateWrite();
      Log("write pending", {});
      return;
    }
    if (preview_ == nullptr || !preview_->failure.empty()) return;
    SaveFocus();
    StartWrite();
  }

  void StartWrite() {
    writing_ = true;
    UpdateWrite();
    SetText(Item(IDC_MESSAGES), "Writing " + ShownOutput() + "...");
    std::shared_ptr<const LoadedFolder> shown = preview_->folder;
    const WindowValues values = preview_values_;
    writing_folder_ = shown->folder;
    writing_values_ = values;
    HWND dialog = dialog_;
    worker_.Add([shown, values, dialog] {
      auto result = std::make_unique<WriteResult>();
      try {
        *result = WriteShown(*shown, values);
      } catch (const std::bad_alloc&) {
        result->lines = {"malloc failed"};
      }
      if (PostMessageW(dialog, kWritten, 0,
                       reinterpret_cast<LPARAM>(result.get())))
        result.release();
    });
  }

  // A write runs, or waits for its preview.
  bool Busy() const { return writing_ || write_pending_; }

  // Write is there to press unless a write runs or waits, or the preview
  // shown refuses the values; while a preview comes, pressing it asks for
  // the write once it has come.
  bool CanWrite() const {
    if (Busy() || closing_) return false;
    if (loading_ || previewing_) return true;
    return preview_ != nullptr && preview_->failure.empty();
  }

  void UpdateWrite() {
    HWND write = Item(IDOK);
    const bool enable = CanWrite();
    // Never to Close, where the next Enter would close the window.
    if (!enable && GetFocus() == write)
      SendMessageW(dialog_, WM_NEXTDLGCTL,
                   reinterpret_cast<WPARAM>(Item(IDC_TANK_DATE0)), TRUE);
    EnableWindow(write, enable);
  }

  // Where the focus was when Write was pressed, to go back to after it.
  void SaveFocus() {
    HWND focus = GetFocus();
    focus_before_write_ =
        focus != nullptr && focus != Item(IDCANCEL) && IsChild(dialog_, focus)
            ? focus
            : Item(IDC_TANK_DATE0);
  }

  void RestoreFocus() {
    HWND to = focus_before_write_;
    if (to == nullptr || !IsWindowEnabled(to)) to = Item(IDC_TANK_DATE0);
    SendMessageW(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(to), TRUE);
  }

  // The bar moves while the worker reads or previews. A folder read anew
  // empties the list; a new preview keeps the last one's rows in view
  // until it comes, so that typing a value does not make the list blink.
  void ShowBusy(const std::string& what, bool clear) {
    if (clear) {
      ListView_SetItemCountEx(Item(IDC_CHANGES), 0, 0);
      shown_row_ = -1;
      SetText(Item(IDC_COUNT), what);
      SetText(Item(IDC_TOTALS), "");
    }
    HWND progress = Item(IDC_PROGRESS);
    ShowWindow(progress, SW_SHOWNA);
    SendMessageW(progress, PBM_SETMARQUEE, TRUE, 30);
    UpdateWrite();
  }

  // The bar stops once nothing is being made for the list.
  void EndBusy() {
    if (loading_ || previewing_ || sorting_ || copying_) return;
    HWND progress = Item(IDC_PROGRESS);
    SendMessageW(progress, PBM_SETMARQUEE, FALSE, 0);
    ShowWindow(progress, SW_HIDE);
  }

  void ShowPreview() {
    EndBusy();
    shown_row_ = -1;
    const bool ok = preview_->failure.empty();
    // New rows: none of them is selected.
    SelectNone();
    ListView_SetItemCountEx(Item(IDC_CHANGES),
                            ok ? static_cast<int>(preview_->rows.size()) : 0,
                            0);
    InvalidateRect(Item(IDC_CHANGES), nullptr, TRUE);
    SetText(Item(IDC_COUNT), ok ? ChangesLine(*preview_) : "Nothing can be written");
    SetText(Item(IDC_TOTALS), ok ? JoinLines(preview_->totals) : "");
    ShowMessages();
    UpdateWrite();
    // Said once the window shows it.
    RedrawWindow(dialog_, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    // With the time since the values were last changed (or the folder
    // asked for), for the benchmark.
    const std::string took =
        " [" + std::to_string(GetTickCount64() - asked_) + " ms]";
    if (ok) {
      Log("preview", {ChangesLine(*preview_) + took});
      if (!preview_->warnings.empty()) Log("warning", preview_->warnings);
      if (fit_pending_) FitColumns();
    } else {
      Log("refused", preview_->failure);
    }
  }

  // On a new folder, each column as wide as its longest text among the
  // rows in view, its header's included; those the modder has dragged
  // keep their widths.
  void FitColumns() {
    fit_pending_ = false;
    HWND list = Item(IDC_CHANGES);
    const int count = static_cast<int>(preview_->rows.size());
    const int top = ListView_GetTopIndex(list);
    const int to = std::min(count, top + ListView_GetCountPerPage(list) + 1);
    int longest[kRowColumns] = {};
    auto measure = [list, &longest](int column, const std::string& text) {
      const std::wstring wide = WideFromUtf8(text);
      longest[column] = std::max(
          longest[column],
          static_cast<int>(SendMessageW(list, LVM_GETSTRINGWIDTHW, 0,
                                        reinterpret_cast<LPARAM>(wide.c_str()))));
    };
    for (int i = 0; i < kRowColumns; ++i) measure(i, kColumnHeaders[i]);
    for (int32_t row : RowsShown(sorted_, top, to)) {
      const auto columns =
          RowColumns(*preview_, preview_->rows[static_cast<size_t>(row)]);
      for (int i = 0; i < kRowColumns; ++i) measure(i, columns[i]);
    }
    for (int i = 0; i < kRowColumns; ++i) {
      if (!widths_.set[i]) widths_.fit[i] = FitColumn(longest[i], dpi_);
    }
    Place();
    std::string widths;
    for (int i = 0; i < kRowColumns; ++i)
      widths += (i > 0 ? " " : "") + std::to_string(ListView_GetColumnWidth(list, i));
    Log("columns", {widths});
  }

  // The header's arrow on the column the list is sorted by.
  void ShowOrder() {
    HWND header = ListView_GetHeader(Item(IDC_CHANGES));
    for (int i = 0; i < kRowColumns; ++i) {
      HDITEMW item = {};
      item.mask = HDI_FORMAT;
      if (!Header_GetItem(header, i, &item)) continue;
      item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
      if (i == order_.column) item.fmt |= order_.descending ? HDF_SORTDOWN : HDF_SORTUP;
      Header_SetItem(header, i, &item);
    }
  }

  // Sorts the rows shown by the list's order, off the window's thread:
  // the bar moves meanwhile. A preview still coming is sorted as it comes.
  void Sort() {
    if (preview_ == nullptr || !preview_->failure.empty() || previewing_ ||
        loading_) {
      return;
    }
    sorting_ = true;
    StartTiming(&sort_timing_);
    ShowBusy("", false);
    std::shared_ptr<const tovrand::Preview> preview = preview_;
    const ListOrder order = order_;
    HWND dialog = dialog_;
    worker_.Replace(kSortJob, [preview, order, dialog] {
      auto message = std::make_unique<SortedMessage>();
      message->preview = preview;
      message->order = order;
      try {
        message->sorted = SortRows(*preview, order, UserLess);
      } catch (const std::bad_alloc&) {
        message->order = ListOrder();  // file order, which needs no memory
      }
      if (PostMessageW(dialog, kSorted, 0, reinterpret_cast<LPARAM>(message.get())))
        message.release();
    });
  }

  void Sorted(SortedMessage* sorted) {
    sorting_ = false;
    EndTiming("sort took", &sort_timing_);
    if (sorted->preview == preview_ && sorted->order == order_) {
      sorted_ = std::move(sorted->sorted);
      shown_order_ = sorted->order;
      shown_row_ = -1;
      HWND list = Item(IDC_CHANGES);
      SelectNone();
      InvalidateRect(list, nullptr, TRUE);
      std::string first;
      if (!preview_->rows.empty()) {
        const auto columns = RowColumns(
            *preview_, preview_->rows[static_cast<size_t>(RowAt(sorted_, 0))]);
        for (int i = 0; i < kRowColumns; ++i) first += (i > 0 ? " | " : "") + columns[i];
      }
      Log("sorted", {std::to_string(order_.column) +
                     (order_.descending ? " down" : " up") + ", first row " + first});
    }
    EndBusy();
  }

  // How long a sort or a copy took, and the longest the window's thread
  // was held meanwhile (between the timer's beats, or in the window's own
  // part of the work).
  struct Timing {
    ULONGLONG started = 0;
    ULONGLONG longest = 0;
  };
  void StartTiming(Timing* timing) {
    timing->started = GetTickCount64();
    timing->longest = 0;
    last_pulse_ = timing->started;
    SetTimer(dialog_, kPulse, 10, nullptr);
  }
  void Pulse() {
    const ULONGLONG now = GetTickCount64();
    for (Timing* timing : {&sort_timing_, &copy_timing_})
      timing->longest = std::max(timing->longest, now - last_pulse_);
    last_pulse_ = now;
  }
  void EndTiming(const char* what, Timing* timing) {
    Pulse();
    if (!sorting_ && !copying_) KillTimer(dialog_, kPulse);
    Log(what, {std::to_string(GetTickCount64() - timing->started) +
               " ms, the longest pause " + std::to_string(timing->longest) + " ms"});
  }

  // Every row selected, the list not redrawn meanwhile (Wine's would
  // redraw it row by row). Windows keeps the selection of a list of the
  // window's own rows as ranges, and selects them all at once; Wine's
  // list row by row, a second for a million.
  void SelectAll() {
    if (preview_ == nullptr || !preview_->failure.empty()) return;
    HWND list = Item(IDC_CHANGES);
    const ULONGLONG start = GetTickCount64();
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ListView_SetItemState(list, -1, LVIS_SELECTED, LVIS_SELECTED);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, FALSE);
    Log("selected", {std::to_string(ListView_GetSelectedCount(list)) + " rows [" +
                     std::to_string(GetTickCount64() - start) + " ms]"});
  }

  // No row selected: the list's rows are set anew, which Windows and Wine
  // both do at once, where unselecting each would not be.
  void SelectNone() {
    HWND list = Item(IDC_CHANGES);
    if (ListView_GetSelectedCount(list) == 0) return;
    const int count = ListView_GetItemCount(list);
    ListView_SetItemCountEx(list, 0, LVSICF_NOSCROLL);
    ListView_SetItemCountEx(list, count, LVSICF_NOSCROLL);
  }

  // The selected rows, in the list's order, to the clipboard as text with
  // a header line, made off the window's thread.
  void Copy() {
    HWND list = Item(IDC_CHANGES);
    const int selected = ListView_GetSelectedCount(list);
    if (preview_ == nullptr || !preview_->failure.empty() || selected <= 0 ||
        copying_)
      return;
    const ULONGLONG asked = GetTickCount64();
    const int count = ListView_GetItemCount(list);
    std::vector<int32_t> rows;
    if (selected == count) {
      rows = RowsShown(sorted_, 0, count);
    } else {
      rows.reserve(static_cast<size_t>(selected));
      for (int i = ListView_GetNextItem(list, -1, LVNI_SELECTED); i >= 0;
           i = ListView_GetNextItem(list, i, LVNI_SELECTED))
        rows.push_back(RowAt(sorted_, i));
    }
    copying_ = true;
    StartTiming(&copy_timing_);
    copy_timing_.started = asked;
    copy_timing_.longest = last_pulse_ - asked;  // the rows found, here
    ShowBusy("", false);
    std::shared_ptr<const tovrand::Preview> preview = preview_;
    HWND dialog = dialog_;
    worker_.Replace(kCopyJob, [preview, rows, dialog] {
      auto message = std::make_unique<CopiedMessage>();
      message->rows = rows.size();
      try {
        message->text = ClipboardText(CopiedPieces(*preview, rows, 1 << 20));
      } catch (const std::bad_alloc&) {
      }
      if (PostMessageW(dialog, kCopied, 0, reinterpret_cast<LPARAM>(message.get())))
        message.release();
    });
  }

  // The rows' text goes on the clipboard as the window's to give when a
  // program pastes it (WM_RENDERFORMAT), or when the window closes: Wine
  // copies a text as the clipboard takes it, which for a million rows
  // would stop the window for a second.
  void Copied(CopiedMessage* copied) {
    copying_ = false;
    bool open = false;
    for (int tries = 0; copied->text != nullptr && !open && tries < 4; ++tries) {
      open = OpenClipboard(dialog_) != FALSE;
      if (!open) Sleep(20);  // another program may hold it a moment
    }
    bool placed = false;
    if (open) {
      // Emptied, the clipboard lets go of the window's last text.
      // A text to be rendered: what SetClipboardData returns for it says
      // nothing, the format on the clipboard does.
      if (EmptyClipboard()) {
        SetClipboardData(CF_UNICODETEXT, nullptr);
        placed = IsClipboardFormatAvailable(CF_UNICODETEXT) &&
                 GetClipboardOwner() == dialog_;
      }
      CloseClipboard();
    }
    EndTiming("copy took", &copy_timing_);
    EndBusy();
    if (!placed) {
      if (copied->text != nullptr) GlobalFree(copied->text);
      written_ = {copied->text == nullptr
                      ? "The rows could not be copied: there is not memory enough"
                      : "The rows could not be copied: another program holds "
                        "the clipboard"};
      ShowMessages();
      Log("not copied", written_);
      return;
    }
    clipboard_text_ = copied->text;
    Log("copied", {std::to_string(copied->rows) +
                   (copied->rows == 1 ? " row" : " rows")});
  }

  // A program pastes: the text goes to the clipboard, which owns it then.
  void RenderText() {
    if (clipboard_text_ == nullptr) return;
    const ULONGLONG start = GetTickCount64();
    if (SetClipboardData(CF_UNICODETEXT, clipboard_text_) != nullptr)
      clipboard_text_ = nullptr;
    Log("pasted", {"[" + std::to_string(GetTickCount64() - start) + " ms]"});
  }

  // The clipboard has let go of the window's text.
  void ForgetText() {
    if (clipboard_text_ != nullptr) GlobalFree(clipboard_text_);
    clipboard_text_ = nullptr;
  }

  // The list's menu, at the mouse or, from the keyboard, at the list's top.
  void ListMenu(LPARAM at) {
    HWND list = Item(IDC_CHANGES);
    POINT point = {static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
    if (at == -1) {
      RECT r;
      GetWindowRect(list, &r);
      point = {r.left + 8, r.top + 8};
    }
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr) return;
    const bool rows = preview_ != nullptr && preview_->failure.empty() &&
                      !preview_->rows.empty();
    const UINT has_rows = rows ? MF_ENABLED : MF_GRAYED;
    const UINT has_selection =
        rows && ListView_GetSelectedCount(list) > 0 ? MF_ENABLED : MF_GRAYED;
    AppendMenuW(menu, MF_STRING | has_selection, 1, L"&Copy\tCtrl+C");
    AppendMenuW(menu, MF_STRING | has_rows, 2, L"Select &all\tCtrl+A");
    Log("menu", {});
    const int chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON,
                                      point.x, point.y, 0, dialog_, nullptr);
    DestroyMenu(menu);
    if (chosen == 1) Copy();
    if (chosen == 2) SelectAll();
  }

  // A folder, or a file of one, dropped on the window.
  void Drop(HDROP drop) {
    std::wstring path;
    if (DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) > 0) {
      path.resize(DragQueryFileW(drop, 0, nullptr, 0) + 1);
      path.resize(DragQueryFileW(drop, 0, &path[0], static_cast<UINT>(path.size())));
    }
    DragFinish(drop);
    if (path.empty()) return;
    Log("dropped", {Utf8FromWide(path)});
    Dropped dropped = DroppedFolder(Utf8FromWide(path));
    if (!dropped.problem.empty()) {
      written_ = {dropped.problem};
      ShowMessages();
      return;
    }
    TryFolder(dropped.folder);
  }

  // The messages: what Write said, or what stops a run; then tovdiff's
  // warnings.
  void ShowMessages() {
    std::vector<std::string> lines = written_;
    if (lines.empty() && preview_ != nullptr) lines = preview_->failure;
    if (preview_ != nullptr && preview_->failure.empty())
      lines.insert(lines.end(), preview_->warnings.begin(),
                   preview_->warnings.end());
    SetText(Item(IDC_MESSAGES), JoinLines(lines));
    if (!lines.empty()) Log("messages", lines);
  }

  void Log(const char* what, const std::vector<std::string>& lines) const {
    LogShown(log_, what, lines);
  }

  WindowValues values_;
  std::string folder_;
  std::string other_side_;  // a side given that is neither a nor g
  std::string log_;
  HWND dialog_ = nullptr;
  HWND controls_[kControls] = {};  // by Control
  DpiCalls dpi_calls_;
  int dpi_ = 96;
  HFONT font_ = nullptr;  // the window's own, made for its scale
  FontMetrics metrics_;
  bool filling_ = false;
  bool loading_ = false;
  bool writing_ = false;
  bool previewing_ = false;
  bool write_pending_ = false;  // Write pressed while its preview comes
  bool closing_ = false;        // closed while a write runs or waits
  bool keep_said_ = true;       // Write's (or the start's) lines outlast the
                                // next preview
  HWND focus_before_write_ = nullptr;
  WindowValues preview_values_;
  unsigned generation_ = 0;
  ULONGLONG asked_ = 0;  // when the preview shown last was asked for
  std::shared_ptr<const LoadedFolder> loaded_;
  std::shared_ptr<const tovrand::Preview> preview_;
  ListOrder order_;        // the order the modder chose
  ListOrder shown_order_;  // the order of the rows in sorted_
  std::vector<int32_t> sorted_;  // the rows in the list's order; empty: file order
  bool sorting_ = false;
  bool copying_ = false;
  Timing sort_timing_, copy_timing_;
  ULONGLONG last_pulse_ = 0;
  bool trying_ = false;       // a new folder that may not replace the one shown
  bool fit_pending_ = false;  // the columns fit the first rows of a new folder
  bool placing_ = false;      // the view sets the columns' widths
  bool ended_ = false;        // the dialog is ending
  HGLOBAL clipboard_text_ = nullptr;  // copied, not yet pasted anywhere
  unsigned load_ = 0;         // the last load asked for
  std::string writing_folder_;   // what the write running writes
  WindowValues writing_values_;
  ColumnWidths widths_;
  std::string remembered_path_;
  Remembered remembered_;
  std::vector<std::string> written_;
  int shown_row_ = -1;
  std::wstring shown_columns_[kRowColumns];
  Worker worker_;  // last: it stops, and its jobs end, before the rest goes
};

}  // namespace

int RunWindow(int argc, const char* const* argv) {
  const INITCOMMONCONTROLSEX controls = {sizeof controls,
                                         ICC_LISTVIEW_CLASSES |
                                             ICC_PROGRESS_CLASS |
                                             ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  const HRESULT com = CoInitializeEx(
      nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  {
    View view(argc, argv);
    DialogBoxParamW(GetModuleHandleW(nullptr),
                    MAKEINTRESOURCEW(IDD_TOVRAND_WINDOW), nullptr, View::Proc,
                    reinterpret_cast<LPARAM>(&view));
  }
  if (SUCCEEDED(com)) CoUninitialize();
  // The most memory the window held, for the benchmark.
  PROCESS_MEMORY_COUNTERS memory = {};
  memory.cb = sizeof memory;
  const bool measured =
      K32GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
  LogShown(LogPath(), "closed",
           {measured ? "peak working set " +
                           std::to_string(memory.PeakWorkingSetSize >> 20) +
                           " MiB"
                     : "peak working set unknown"});
  return 0;
}

}  // namespace tovrand
