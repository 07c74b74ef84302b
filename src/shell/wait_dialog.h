#pragma once

#include <cstdint>

namespace zm {

// The small progress window of a first start ("Initializing...   Please
// wait."): shown while the first patterns are computed, then hidden.
class WaitDialog {
 public:
  virtual ~WaitDialog() = default;
  // Shows it without making it modal.
  virtual void Show() = 0;
  // Moves the bar (0..100).
  virtual void SetProgress(int32_t position) = 0;
  virtual void Hide() = 0;
};

}  // namespace zm
