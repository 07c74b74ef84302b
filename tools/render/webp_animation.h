#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace zm::tool {

// The largest width or height a WebP picture can have.
constexpr int kWebpMaxSide = 16383;

// Collects frames of 0x00RRGGBB pixels into an animated WebP.
class WebpAnimation {
 public:
  WebpAnimation(int width, int height, int frameMilliseconds);
  ~WebpAnimation();
  WebpAnimation(const WebpAnimation&) = delete;
  WebpAnimation& operator=(const WebpAnimation&) = delete;

  // `pixels` has width x height entries, row-major.
  bool AddFrame(const uint32_t* pixels);
  // Finishes the animation and writes it; false with a message on failure.
  bool Write(const std::string& path, std::string& error);

 private:
  struct Encoder;
  std::unique_ptr<Encoder> encoder_;
};

}  // namespace zm::tool
