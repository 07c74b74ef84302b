#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "render/bitmap_view.h"

namespace zm {

// A rectangle in the dialog's client area.
struct ClientRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;

  friend bool operator==(const ClientRect&, const ClientRect&) = default;
};

// What the setup dialog's rules need of its real window. The platform builds
// the controls (captions in dialog_texts.h, the colour entries from
// MaterialEntryCaption), forwards their events to the SetupDialog handlers
// of the same names and carries out these calls; it decides nothing itself.
//
// The setters only change what the control shows. A toolkit that reports
// such a change as a user event may do so: the dialog ignores the events
// that its own setting of the controls raises.
class SetupDialogView {
 public:
  virtual ~SetupDialogView() = default;

  // The width of the client area, in pixels (575 at the usual font size).
  virtual int32_t ClientWidth() const = 0;

  // The speed trackbar, 0..20; the dialog passes positions within that range.
  // A move by the user calls ShapeSpeedChange.
  virtual void SetSpeedPosition(int32_t position) = 0;
  virtual int32_t SpeedPosition() const = 0;

  // The colour radio group of nine entries: the selected entry, 0..8, or -1
  // for none (the dialog passes values within that range). A click by the
  // user calls MaterialsClick.
  virtual void SelectMaterialEntry(int32_t entry) = 0;
  virtual int32_t SelectedMaterialEntry() const = 0;
  virtual void EnableMaterialEntries(bool enabled) = 0;

  // The "All colors" check box; a click calls All_MaterialsClick.
  virtual void CheckAllColors(bool checked) = 0;
  virtual bool AllColorsChecked() const = 0;

  // The video-mode box: a drop-down list with an editable text field,
  // unsorted. SetModeEntries replaces the list with these texts in this
  // order. Every change of the text, by typing or by choosing an entry,
  // calls GraphModesListChange.
  virtual void SetModeEntries(const std::vector<std::string>& texts) = 0;
  virtual void SetModeText(const std::string& text) = 0;
  virtual std::string ModeText() const = 0;
  virtual void EnableModeBox(bool enabled) = 0;

  // The "Use DirectX" check box; a click calls UseDirectXClick.
  virtual void CheckUseDirectX(bool checked) = 0;
  virtual bool UseDirectXChecked() const = 0;
  virtual void EnableUseDirectX(bool enabled) = 0;

  // The drop-down "Monitors:" with the layouts "primary", "each" and
  // "span" as entries 0, 1 and 2; a choice by the user calls MonitorsChange.
  // A platform without it keeps these defaults: the stored layout stays.
  virtual void SelectMonitorsEntry(int32_t /*entry*/) {}
  virtual int32_t MonitorsEntry() const { return -1; }
  virtual void EnableMonitors(bool /*enabled*/) {}

  // The drop-down "Frames:" with the entries of FrameLimitEntryCaption, or
  // -1 for none (a stored limit that no entry names); a choice by the user
  // calls FramesChange. A platform without it keeps these defaults.
  virtual void SelectFramesEntry(int32_t /*entry*/) {}
  virtual int32_t FramesEntry() const { return -1; }

  // The hourglass cursor while the frame size changes, then the default one.
  virtual void SetBusyCursor(bool busy) = 0;

  // Draws the whole of `frame` (the saver window's frame bitmap) into
  // `target` of the client area, stretched to its size without keeping the
  // aspect ratio.
  virtual void DrawPreview(const BitmapView& frame, const ClientRect& target) = 0;

  // Closes the dialog, which ends the run: the platform asks FormCloseQuery
  // first (as it does for the window's close box).
  virtual void Close() = 0;

  // A modal error box with one OK button; the dialog stays open.
  virtual void ShowError(const std::string& message) = 0;
};

}  // namespace zm
