#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zm {

// The four ways the program runs, chosen once from the command line.
constexpr uint8_t rmChangePassword = 0;  // change the saver password, then end
constexpr uint8_t rmPreview = 1;         // draw into the system's preview window
constexpr uint8_t rmConfigure = 2;       // the setup dialog with its live preview
constexpr uint8_t rmSaver = 3;           // the full-screen saver

// The program's run mode: set once by the main entry, read by the saver
// screen and the setup dialog.
extern uint8_t RunMode;

// Set by the setup dialog's Preview button: the saver screen then shows the
// ornament without asking for a password when it ends.
extern uint8_t PreviewFromSetup;

// The run mode that a first argument selects. Only the letters decide: the
// last of A, P and C (tested in that order) that occurs anywhere wins, an
// empty argument means configure, and anything else (the usual /s) runs the
// saver.
uint8_t ParseRunMode(std::string_view firstArgument);

}  // namespace zm
