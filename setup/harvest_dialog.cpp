#include "setup/harvest_dialog.h"

#include <windows.h>

#include <array>
#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "catalogs/catalog_harvest.h"
#include "core/frontend.h"
#include "core/settings.h"
#include "platform/platform.h"
#include "ui/control_table.h"
#include "ui/boxes_and_shell.h"
#include "ui/window_thread.h"

namespace vemtrix::setup {

using ui::DropPostedTasks;
using ui::kMsgDrainQueue;
using ui::kMsgRunTask;
using ui::PostTask;
using ui::RunPostedTask;
using ui::WindowQueue;

namespace {

constexpr int kFrameCount = 12;
constexpr int kSiteCount = 4;
constexpr int kIdlePicture = kSiteCount * kFrameCount;
constexpr int kFrameSteps = 5;    // a frame lasts five steps...
constexpr int kFrameStepMs = 50;  // ...of 50 ms, so a stop is seen within 50 ms

// Magnifier frames by HarvestPhase (Craigslist 1 ... Daype 4).
const char* const kMagnifierPrefixes[kSiteCount] = {"ICONCRAIGSMAG", "ICONKIJIJIMAG", "ICONBACKPAGEMAG",
                                                   "ICONDAYPEMAG"};

int PictureIndex(SiteId site, int frame) {
  int phase = static_cast<int>(site);
  if (phase < 1 || phase > kSiteCount) return kIdlePicture;
  return (phase - 1) * kFrameCount + frame;
}

// The dialog's front end. The harvesting and animation threads never touch
// the dialog: they queue what changed and post one wake-up; the dialog's
// thread applies the whole queue, so a burst of log lines costs one redraw.
class DialogFrontend : public NullFrontend, public HarvestView {
 public:
  void Attach(HWND dialog) {
    dialog_ = dialog;
    queue_.Attach(dialog);
  }

  void Detach() {
    queue_.Detach();
    dialog_ = nullptr;
  }

  bool Attached() { return queue_.Attached(); }

  void LogAppended(const std::string&) override {
    queue_.Queue([](Pending& p) { p.logChanged = true; });
  }

  void ButtonCaption(const std::string& caption) override {
    queue_.Queue([&](Pending& p) { p.caption = caption; });
  }

  void ButtonsEnabled(bool beginDownload, bool cancel) override {
    queue_.Queue([&](Pending& p) { p.enabled = std::make_pair(beginDownload, cancel); });
  }

  void SiteChanged(SiteId site) override;

  MessageAnswer ShowMessage(const std::string& caption, const std::string& text, MessageIcon icon,
                            MessageButtons buttons, MessageModality modality) override;

  // Animation thread: shows picture index in the dialog's picture.
  void ShowPicture(int index);

  // Dialog thread: applies everything queued.
  void Drain();

 private:
  struct Pending {
    bool logChanged = false;
    std::optional<std::string> caption;
    std::optional<std::pair<bool, bool>> enabled;
  };

  WindowQueue<Pending> queue_;
  std::atomic<HWND> dialog_{nullptr};
};

DialogFrontend& DialogUI() {
  static DialogFrontend frontend;  // outlives every thread that calls it
  return frontend;
}

std::atomic<bool> animating{false};
platform::Thread harvestThread;
bool harvestStarted = false;

void DialogFrontend::SiteChanged(SiteId site) {
  if (site == SiteId::None || !Attached()) return;
  if (!animating.exchange(true)) {
    if (!platform::StartDetachedThread(AnimateHarvestSite)) animating = false;
  }
}

MessageAnswer DialogFrontend::ShowMessage(const std::string& caption, const std::string& text, MessageIcon icon,
                                          MessageButtons buttons, MessageModality modality) {
  return ui::ShowMessageBox(nullptr, caption, text, icon, buttons, modality);
}

// The whole log in the field, scrolled to its end, drawn once.
void ShowLog(HWND dialog) {
  HWND log = GetDlgItem(dialog, kIdHarvestLog);
  std::string text = HarvestLogText();
  SendMessageA(log, WM_SETREDRAW, FALSE, 0);
  SetWindowTextA(log, text.c_str());
  SendMessageA(log, EM_SETSEL, text.size(), text.size());
  SendMessageA(log, EM_SCROLLCARET, 0, 0);
  SendMessageA(log, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(log, nullptr, TRUE);
}

void DialogFrontend::Drain() {
  HWND dialog = dialog_.load();
  Pending changes = queue_.Take();
  if (dialog == nullptr) return;
  if (changes.enabled) {
    HWND begin = GetDlgItem(dialog, kIdBeginDownload);
    EnableWindow(begin, changes.enabled->first ? TRUE : FALSE);
    EnableWindow(GetDlgItem(dialog, kIdHarvestCancel), changes.enabled->second ? TRUE : FALSE);
    // The keyboard follows the one button left to press.
    if (changes.enabled->first) SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(begin), TRUE);
  }
  if (changes.caption) {
    HWND begin = GetDlgItem(dialog, kIdBeginDownload);
    SetWindowTextA(begin, changes.caption->c_str());
    RedrawWindow(begin, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  }
  if (changes.logChanged) ShowLog(dialog);
}

// The magnifier frames and the idle picture, loaded once. Shared images:
// the system keeps them for the module, so nothing is destroyed.
std::array<HICON, kIdlePicture + 1>& Pictures() {
  static std::array<HICON, kIdlePicture + 1> pictures{};
  return pictures;
}

void LoadPictures() {
  HINSTANCE module = GetModuleHandleA(nullptr);
  auto load = [module](const std::string& name) {
    return static_cast<HICON>(LoadImageA(module, name.c_str(), IMAGE_ICON, 32, 32, LR_SHARED));
  };
  for (int site = 0; site < kSiteCount; ++site) {
    for (int frame = 0; frame < kFrameCount; ++frame) {
      char name[32];
      wsprintfA(name, "%s%02d", kMagnifierPrefixes[site], frame);
      Pictures()[static_cast<std::size_t>(site * kFrameCount + frame)] = load(name);
    }
  }
  Pictures()[kIdlePicture] = load("HARDLYTHERE");
}

void ShowPictureNow(HWND dialog, int index) {
  if (index < 0 || index > kIdlePicture) return;
  SendDlgItemMessageA(dialog, kIdHarvestPicture, STM_SETICON,
                      reinterpret_cast<WPARAM>(Pictures()[static_cast<std::size_t>(index)]), 0);
  if (index == kIdlePicture) RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void DialogFrontend::ShowPicture(int index) {
  HWND dialog = dialog_.load();
  if (dialog != nullptr) PostTask(dialog, [dialog, index] { ShowPictureNow(dialog, index); });
}

void BeginDownloadPressed(HWND dialog) {
  if (FirstRunResult.load() != 0) {
    EndDialog(dialog, IDOK);  // "Start" or "Exit (Try Later)"
    return;
  }
  if (harvestStarted) return;
  harvestStarted = true;
  // The run disables both buttons itself; doing it here too keeps a second
  // click from reaching the dialog before the run's first change does.
  EnableWindow(GetDlgItem(dialog, kIdBeginDownload), FALSE);
  EnableWindow(GetDlgItem(dialog, kIdHarvestCancel), FALSE);
  std::string userAgent = AppSettings().UserAgent;
  if (!harvestThread.Start([userAgent] { HarvestCatalogs(userAgent, HarvestDialogView()); })) {
    harvestStarted = false;
    EnableWindow(GetDlgItem(dialog, kIdBeginDownload), TRUE);
    EnableWindow(GetDlgItem(dialog, kIdHarvestCancel), TRUE);
  }
}

INT_PTR CALLBACK HarvestDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      SendDlgItemMessageA(dialog, kIdHarvestLog, EM_LIMITTEXT, 0, 0);  // no limit on the log's length
      LoadPictures();
      ShowPictureNow(dialog, kIdlePicture);
      if (HICON icon = LoadIconA(GetModuleHandleA(nullptr), "0L"))
        SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
      DialogUI().Attach(dialog);
      SetFrontend(&DialogUI());
      ShowLog(dialog);
      SetFocus(GetDlgItem(dialog, kIdBeginDownload));
      return FALSE;  // the focus is set
    }
    case kMsgDrainQueue:
      DialogUI().Drain();
      return TRUE;
    case kMsgRunTask:
      RunPostedTask(lParam);
      return TRUE;
    case WM_DESTROY:
      DropPostedTasks(dialog);
      return FALSE;
    case WM_CLOSE:
      // The close box ends the dialog even during a run; the picture stops.
      HarvestPhase = SiteId::None;
      EndDialog(dialog, IDCANCEL);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kIdBeginDownload:
          BeginDownloadPressed(dialog);
          return TRUE;
        case kIdHarvestCancel:
        case IDCANCEL:  // Esc: the same as the Cancel button, while it can be pressed
          if (IsWindowEnabled(GetDlgItem(dialog, kIdHarvestCancel))) EndDialog(dialog, IDCANCEL);
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}

std::vector<ui::ControlSpec> HarvestDialogTable() {
  return {
      {kIdHarvestLog, "EDIT", "",
       ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 7, 7, 316, 176},
      {kIdHarvestPicture, "STATIC", "", SS_ICON | SS_CENTERIMAGE, 7, 190, 24, 24},
      {kIdBeginDownload, "BUTTON", "Begin Download", BS_DEFPUSHBUTTON | WS_TABSTOP, 158, 195, 105, 16},
      {kIdHarvestCancel, "BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 268, 195, 55, 16},
  };
}

}  // namespace

HarvestView& HarvestDialogView() { return DialogUI(); }

void AnimateHarvestSite() {
  int frame = 0;
  for (;;) {
    SiteId site = HarvestPhase.load();
    if (site == SiteId::None) break;
    frame = (frame + 1) % kFrameCount;
    DialogUI().ShowPicture(PictureIndex(site, frame));
    for (int step = 0; step < kFrameSteps && HarvestPhase.load() != SiteId::None; ++step) Sleep(kFrameStepMs);
  }
  DialogUI().ShowPicture(kIdlePicture);
  animating = false;
}

void ShowHarvestDialog() {
  ResetHarvestLog(kHarvestOpeningText);
  harvestStarted = false;
  ui::DialogSpec frame{"Download Sections and Cities",
                      WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER,
                      0,
                      0,
                      330,
                      218};
  std::vector<WORD> bytes = ui::BuildDialogTemplate(frame, HarvestDialogTable());
  INT_PTR ended = DialogBoxIndirectParamA(GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(bytes.data()),
                                          nullptr, HarvestDialogProc, 0);
  DialogUI().Detach();
  SetFrontend(nullptr);
  if (!harvestThread.Joinable()) return;
  // After "Start" or "Exit (Try Later)" the run has only its last calls to
  // make; a dialog closed mid-run leaves it to end with the process.
  if (ended == IDOK) {
    harvestThread.Join();
  } else {
    harvestThread.Detach();
  }
}

}  // namespace vemtrix::setup
