#pragma once

namespace zm {

// Something that can process its pending messages: waits call it while they
// wait (Delay, the first start's warm-up), so that a window stays responsive.
class MessagePump {
 public:
  virtual ~MessagePump() = default;
  virtual void ProcessMessages() = 0;
};

}  // namespace zm
