#pragma once

#include <memory>
#include <string>

typedef struct _GtkWidget GtkWidget;

namespace zm {

// The setup dialog's "Start after" check box with the idle minutes (Linux
// only), in the free place right of the monitor layout. Ticking it stores
// section IDLE_START, writes the autostart entry and starts the idle starter
// now; unticking removes the entry and ends the starter. Changed minutes take
// effect when the box is ticked or at Ok (Apply).
class IdleStartBoxGtk {
 public:
  // Shows a failure in a message box over `window`.
  IdleStartBoxGtk(GtkWidget* fixed, GtkWidget* window);
  ~IdleStartBoxGtk();
  IdleStartBoxGtk(const IdleStartBoxGtk&) = delete;
  IdleStartBoxGtk& operator=(const IdleStartBoxGtk&) = delete;

  // The widgets, for the focus chain.
  GtkWidget* CheckBox() const { return check_; }
  GtkWidget* MinutesBox() const { return minutes_; }
  // At Ok: minutes changed while ticked restart the starter.
  void Apply();

 private:
  static void OnToggled(GtkWidget*, void* self);
  void Switch(bool on);
  void Fail(const std::string& message);

  GtkWidget* window_;
  GtkWidget* check_ = nullptr;
  GtkWidget* minutes_ = nullptr;
  std::string settingsPath_;
  int shownMinutes_ = 0;
  bool quiet_ = false;
};

}  // namespace zm
