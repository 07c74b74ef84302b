#pragma once

namespace zm {

// Something that can process its pending messages: Delay calls it while it
// waits, so that a window stays responsive.
class MessagePump {
 public:
  virtual ~MessagePump() = default;
  virtual void ProcessMessages() = 0;
};

}  // namespace zm
