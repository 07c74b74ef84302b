#pragma once

#include "shell/wait_dialog.h"

typedef struct _GtkWidget GtkWidget;

namespace zm {

// The first-start progress window "ZELK MIRV" in GTK: no border, 380 x 70,
// centred, a raised frame with "Initializing...   Please wait." and a bar of
// 0..100. GTK talks to the X server over a connection of its own, so pumping
// GTK's pending events paints this window and touches nothing else: the
// saver window's input stays queued on the program's own connection, as no
// messages may be processed during the warm-up. Without GTK (no display for
// it) the dialog does nothing.
class WaitDialogGtk : public WaitDialog {
 public:
  WaitDialogGtk() = default;
  ~WaitDialogGtk() override;
  WaitDialogGtk(const WaitDialogGtk&) = delete;
  WaitDialogGtk& operator=(const WaitDialogGtk&) = delete;

  void Show() override;
  void SetProgress(int32_t position) override;
  void Hide() override;

  // Lets GTK handle what it has pending (the dialog's drawing).
  static void PumpPending();

 private:
  bool Create();

  GtkWidget* window_ = nullptr;
  GtkWidget* bar_ = nullptr;
};

}  // namespace zm
