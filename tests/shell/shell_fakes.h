#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "display/display_control.h"
#include "render/bitmap32.h"
#include "shell/about_box.h"
#include "shell/password_check.h"
#include "shell/saver_loop.h"
#include "shell/saver_window.h"
#include "shell/setup_dialog.h"
#include "shell/setup_dialog_view.h"

namespace zm::testing {

// Every fake writes what it was asked to do into one shared log, so a test
// can check the order of the calls.
using CallLog = std::vector<std::string>;

class FakeWaitDialog : public WaitDialog {
 public:
  explicit FakeWaitDialog(CallLog& log) : log_(log) {}
  void Show() override { log_.push_back("wait shown"); }
  void SetProgress(int32_t position) override { positions.push_back(position); }
  void Hide() override { log_.push_back("wait hidden"); }
  std::vector<int32_t> positions;

 private:
  CallLog& log_;
};

class FakeSaverWindow : public SaverWindow {
 public:
  explicit FakeSaverWindow(CallLog& log) : wait(log), log_(log) {}

  int32_t ScreenWidth() const override { return screenWidth; }
  int32_t ScreenHeight() const override { return screenHeight; }
  bool CoversScreen() const override { return coversScreen; }
  std::vector<MonitorArea> Monitors() const override { return monitors; }
  void SizeFrameBitmap(int32_t width, int32_t height) override { bitmap.Resize(width, height); }
  BitmapView FrameBitmap() override { return bitmap.View(); }
  void PaintFrameBitmap() override { ++paints; }
  WaitDialog& Wait() override { return wait; }
  void ProcessMessages() override {}
  void SetPresentation(WindowPresentation p) override {
    log_.push_back(p == WindowPresentation::kNormal ? "normal window" : "maximised on top");
  }
  void BringToTop() override { log_.push_back("topmost"); }
  void SetScreenSaverRunning(bool running) override {
    log_.push_back(running ? "saver running" : "saver stopped");
  }
  void ShowCursor(bool show) override { cursorCount += show ? 1 : -1; }
  void MakeVisible() override { visible = true; }
  bool IsVisible() const override { return visible; }
  void CaptureMouse() override { log_.push_back("capture"); }
  void ReleaseMouse() override { log_.push_back("release"); }
  void PostFrameRequest() override {
    ++frameRequests;
    if (loop != nullptr) loop->PostFrameRequest();
  }
  bool FramesPacedByDisplay() const override { return paced; }
  bool Covered() const override { return covered; }
  double DisplayRate() const override { return displayHz; }
  void PaceFramesAt(double hertz) override { pacedHz = hertz; }
  double FrameShownMs() const override { return shownMs; }
  void SetCloseTimer(int32_t milliseconds) override {
    closeTimer = milliseconds;
    if (loop != nullptr) loop->SetCloseTimer(milliseconds);
  }
  void ShrinkBeforeClosing() override { log_.push_back("shrink"); }
  void Close() override { log_.push_back("close"); }
  void ShowError(const char* message) override { log_.push_back(std::string("error: ") + message); }

  int32_t screenWidth = 64;
  int32_t screenHeight = 48;
  bool coversScreen = true;
  std::vector<MonitorArea> monitors;
  Bitmap32 bitmap;
  FakeWaitDialog wait;
  bool visible = false;
  bool paced = false;
  bool covered = false;
  SaverLoop* loop = nullptr;  // where requests and the close timer go, if set
  double displayHz = 60.0;
  double pacedHz = 0.0;   // what the saver screen last asked for
  double shownMs = -1.0;  // no clock: fixed steps
  int paints = 0;
  int frameRequests = 0;
  int cursorCount = 0;
  int32_t closeTimer = 0;

 private:
  CallLog& log_;
};

// A display with a mode list, whose switches can be made to fail; without a
// back buffer given, frames on the page-flipped path are skipped. Each flip
// may move a clock on by a refresh period.
class FakeDisplayControl : public DisplayControl {
 public:
  explicit FakeDisplayControl(CallLog& log) : log_(log) {}

  bool Startup() override { return ready = available; }
  bool Ready() const override { return ready; }
  void Shutdown() override { log_.push_back("display shut down"); }
  std::vector<DisplayMode> ListModes() override {
    return ready ? modes : std::vector<DisplayMode>{};
  }
  bool SetVideoMode(int32_t width, int32_t height, int32_t bits, int32_t refresh,
                    int32_t backBuffers) override {
    log_.push_back("set mode " + std::to_string(width) + "x" + std::to_string(height) + "x" +
                   std::to_string(bits) + " @" + std::to_string(refresh) + " buffers " +
                   std::to_string(backBuffers));
    return switchSucceeds;
  }
  bool RestoreVideoMode() override {
    log_.push_back("restore mode");
    return true;
  }
  bool HasPrimarySurface() const override { return false; }
  bool GetPixelFormat(PixelFormat&) const override { return false; }
  bool FlipDone() override { return true; }
  bool LockBackBuffer(uint8_t*& address, int32_t& pitch) override {
    ++locks;
    if (back.empty()) return false;
    address = back.data();
    pitch = backPitch;
    return true;
  }
  bool FlipPage() override {
    if (flipClockMs != nullptr) *flipClockMs += flipPeriodMs;
    return !back.empty();
  }

  bool available = true;
  bool ready = false;
  bool switchSucceeds = true;
  std::vector<DisplayMode> modes{{480, 640, 60, 32}, {600, 800, 60, 16}};
  int locks = 0;
  std::vector<uint8_t> back;
  int32_t backPitch = 0;
  double* flipClockMs = nullptr;
  double flipPeriodMs = 0.0;

 private:
  CallLog& log_;
};

// The system's password services: the flag as stored, and the answers the
// user gives, one per question.
class FakePasswords : public PasswordServices {
 public:
  explicit FakePasswords(CallLog& log) : log_(log) {}

  bool OpenDesktopSettings() override { return settingsOpen = settingsExist; }
  void CloseDesktopSettings() override { settingsOpen = false; }
  std::optional<uint32_t> ReadUsePasswordFlag() override { return flag; }
  std::optional<bool> VerifyPassword() override {
    log_.push_back("password asked");
    if (duringQuestion) duringQuestion();
    if (!libraryPresent) return std::nullopt;
    if (answers.empty()) return true;
    const bool answer = answers.front();
    answers.erase(answers.begin());
    return answer;
  }
  void ShowCursor(bool show) override { cursorShown = show; }

  bool settingsExist = true;
  bool settingsOpen = false;
  std::optional<uint32_t> flag;
  bool libraryPresent = true;
  std::vector<bool> answers;
  bool cursorShown = false;
  std::function<void()> duringQuestion;

 private:
  CallLog& log_;
};

// The setup dialog's controls as plain values. Closing asks the dialog
// first, as a platform does.
class FakeSetupDialogView : public SetupDialogView {
 public:
  explicit FakeSetupDialogView(CallLog& log) : log_(log) {}

  int32_t ClientWidth() const override { return 575; }
  void SetSpeedPosition(int32_t p) override { speed = p; }
  int32_t SpeedPosition() const override { return speed; }
  void SelectMaterialEntry(int32_t entry) override { material = entry; }
  int32_t SelectedMaterialEntry() const override { return material; }
  void EnableMaterialEntries(bool enabled) override { materialsEnabled = enabled; }
  void CheckAllColors(bool checked) override { allColors = checked; }
  bool AllColorsChecked() const override { return allColors; }
  void SetModeEntries(const std::vector<std::string>& texts) override { modeEntries = texts; }
  void SetModeText(const std::string& text) override { modeText = text; }
  std::string ModeText() const override { return modeText; }
  void EnableModeBox(bool enabled) override { modeBoxEnabled = enabled; }
  void CheckUseDirectX(bool checked) override { useDirectX = checked; }
  bool UseDirectXChecked() const override { return useDirectX; }
  void EnableUseDirectX(bool enabled) override { useDirectXEnabled = enabled; }
  void SelectMonitorsEntry(int32_t entry) override { monitors = entry; }
  int32_t MonitorsEntry() const override { return monitors; }
  void EnableMonitors(bool enabled) override { monitorsEnabled = enabled; }
  void SelectFramesEntry(int32_t entry) override { frames = entry; }
  int32_t FramesEntry() const override { return frames; }
  void SetBusyCursor(bool busy) override { log_.push_back(busy ? "hourglass" : "arrow"); }
  void DrawPreview(const BitmapView&, const ClientRect& target) override {
    ++previews;
    previewTarget = target;
  }
  void Close() override {
    if (dialog != nullptr && dialog->FormCloseQuery()) closed = true;
  }
  void ShowError(const std::string& message) override { log_.push_back("error: " + message); }

  SetupDialog* dialog = nullptr;
  int32_t speed = 10;
  int32_t material = -1;
  bool materialsEnabled = true;
  bool allColors = false;
  std::vector<std::string> modeEntries;
  std::string modeText;
  bool modeBoxEnabled = true;
  bool useDirectX = false;
  bool useDirectXEnabled = true;
  int32_t monitors = -1;
  int32_t frames = -2;  // never set
  bool monitorsEnabled = true;
  int previews = 0;
  ClientRect previewTarget;
  bool closed = false;

 private:
  CallLog& log_;
};

// The About box: while shown modally it runs `whileShown`, standing in for
// the user; links open when `linksOpen` says so.
class FakeAboutBoxView : public AboutBoxView {
 public:
  explicit FakeAboutBoxView(CallLog& log) : log_(log) {}

  void ShowModal() override {
    visible = true;
    if (whileShown) whileShown();
  }
  void Close() override {
    if (!visible) return;
    visible = false;
    if (box != nullptr) box->FormHide();
  }
  bool IsVisible() const override { return visible; }
  bool OpenLink(const std::string& uri) override {
    log_.push_back("open " + uri);
    return linksOpen;
  }
  void Beep() override { log_.push_back("beep"); }

  AboutBox* box = nullptr;
  bool visible = false;
  bool linksOpen = true;
  std::function<void()> whileShown;

 private:
  CallLog& log_;
};

}  // namespace zm::testing
