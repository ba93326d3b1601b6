// The window's view: a dialog of native controls over window/model.h. It
// holds no logic of a run: it shows the model's results, and calls the
// model off its own thread (a worker thread, one job at a time), so that
// it keeps repainting while a large folder loads or a preview is made.

#include "window/view_win32.h"

#include <windows.h>
#include <commctrl.h>
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
#include "window/model.h"

namespace tovrand {

namespace {

// Messages the worker posts to the window; lParam holds the result, which
// the window then owns.
constexpr UINT kLoaded = WM_APP + 1;    // LoadedFolder, wrapped
constexpr UINT kPreviewed = WM_APP + 2; // Preview, with its generation
constexpr UINT kWritten = WM_APP + 3;   // WriteResult

struct LoadedMessage {
  std::shared_ptr<const LoadedFolder> folder;
};
struct PreviewMessage {
  unsigned generation;
  WindowValues values;  // what the preview was made of
  std::unique_ptr<Preview> preview;
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

enum JobKey { kLoadJob, kPreviewJob };

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

const wchar_t* const kColumns[kRowColumns] = {
    L"Pool", L"Side", L"Date", L"Slot", L"Team", L"Type", L"Old", L"New"};
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

class View {
 public:
  View(int argc, const char* const* argv)
      : folder_(StartFolder(ProgramFolder(), CurrentFolder())),
        log_(LogPath()) {
    // A wrong number of values is said in tovrand's words, over the first
    // preview.
    values_ = StartValues(argc, argv, &written_);
  }
  ~View() {
    if (font_ != nullptr) DeleteObject(font_);
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
      column.pszText = const_cast<wchar_t*>(kColumns[i]);
      SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i),
                   reinterpret_cast<LPARAM>(&column));
    }

    FitToScreen();

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
    return LayOut(client, dpi_, metrics_);
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
        dpi_ = LOWORD(w) > 0 ? LOWORD(w) : Dpi();
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
        loaded_ = std::move(loaded->folder);
        loading_ = false;
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
          ShowPreview();
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
    EndDialog(dialog_, IDCANCEL);
  }

  void Written(const WriteResult& written) {
    writing_ = false;
    written_ = written.lines;
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
        Write();
        return TRUE;
      case IDCANCEL:
        Close();
        return TRUE;
      case IDC_BROWSE: {
        if (Busy()) return TRUE;
        const std::string picked = PickFolder(dialog_, folder_);
        if (!picked.empty()) {
          folder_ = picked;
          Load();
        }
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
    if (header->idFrom != IDC_CHANGES || header->code != LVN_GETDISPINFOW)
      return FALSE;
    LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(header)->item;
    if ((item.mask & LVIF_TEXT) == 0 || preview_ == nullptr ||
        item.iItem < 0 ||
        static_cast<size_t>(item.iItem) >= preview_->rows.size() ||
        item.iSubItem < 0 || item.iSubItem >= kRowColumns || item.cchTextMax <= 0)
      return FALSE;
    // The list asks column by column: a row's texts are made once.
    if (shown_row_ != item.iItem) {
      const auto columns = RowColumns(*preview_, preview_->rows[item.iItem]);
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

  void Load() {
    asked_ = GetTickCount64();
    SetText(Item(IDC_FOLDER), folder_);
    loading_ = true;
    ++generation_;
    preview_.reset();
    ShowBusy("Reading the data folder...", true);
    const std::string folder = folder_;
    HWND dialog = dialog_;
    worker_.Replace(kLoadJob, [folder, dialog] {
      auto message = std::make_unique<LoadedMessage>();
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
    worker_.Replace(kPreviewJob, [generation, values, loaded, dialog] {
      auto message = std::make_unique<PreviewMessage>();
      message->generation = generation;
      message->values = values;
      try {
        message->preview = MakePreview(loaded, values);
      } catch (const std::bad_alloc&) {
        message->preview = std::make_unique<tovrand::Preview>(loaded);
        message->preview->failure = {"malloc failed"};
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

  void ShowPreview() {
    HWND progress = Item(IDC_PROGRESS);
    SendMessageW(progress, PBM_SETMARQUEE, FALSE, 0);
    ShowWindow(progress, SW_HIDE);
    shown_row_ = -1;
    const bool ok = preview_->failure.empty();
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
    } else {
      Log("refused", preview_->failure);
    }
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
  std::unique_ptr<tovrand::Preview> preview_;
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
