#include "webp_animation.h"

#include <webp/encode.h>
#include <webp/mux.h>

#include <string_view>
#include <vector>

#include "settings/atomic_file.h"

namespace zm::tool {

struct WebpAnimation::Encoder {
  WebPAnimEncoder* encoder = nullptr;
  WebPConfig config;
  int width = 0;
  int height = 0;
  int frameMs = 0;
  int timestamp = 0;
  std::vector<uint32_t> argb;
};

WebpAnimation::WebpAnimation(int width, int height, int frameMilliseconds)
    : encoder_(std::make_unique<Encoder>()) {
  WebPAnimEncoderOptions options;
  WebPAnimEncoderOptionsInit(&options);
  options.anim_params.loop_count = 0;
  // Every frame a key frame: lossy sub-frames blended over the previous
  // picture leave blocky seams where almost every pixel changes each frame.
  options.kmin = 0;
  options.kmax = 1;
  options.allow_mixed = 0;
  encoder_->encoder = WebPAnimEncoderNew(width, height, &options);
  WebPConfigInit(&encoder_->config);
  encoder_->config.quality = 70;
  encoder_->config.method = 4;
  encoder_->width = width;
  encoder_->height = height;
  encoder_->frameMs = frameMilliseconds;
  encoder_->argb.resize(static_cast<size_t>(width) * height);
}

WebpAnimation::~WebpAnimation() {
  if (encoder_->encoder) WebPAnimEncoderDelete(encoder_->encoder);
}

bool WebpAnimation::AddFrame(const uint32_t* pixels) {
  if (!encoder_->encoder) return false;
  // WebP wants opaque ARGB; the frame's top byte is zero.
  for (size_t i = 0; i < encoder_->argb.size(); ++i) encoder_->argb[i] = pixels[i] | 0xFF000000u;
  WebPPicture picture;
  if (!WebPPictureInit(&picture)) return false;
  picture.use_argb = 1;
  picture.width = encoder_->width;
  picture.height = encoder_->height;
  picture.argb = encoder_->argb.data();
  picture.argb_stride = encoder_->width;
  const bool ok =
      WebPAnimEncoderAdd(encoder_->encoder, &picture, encoder_->timestamp, &encoder_->config) != 0;
  WebPPictureFree(&picture);  // frees only what the encoder allocated, not our pixels
  encoder_->timestamp += encoder_->frameMs;
  return ok;
}

bool WebpAnimation::Write(const std::string& path, std::string& error) {
  WebPData data;
  WebPDataInit(&data);
  if (!encoder_->encoder ||
      !WebPAnimEncoderAdd(encoder_->encoder, nullptr, encoder_->timestamp, nullptr) ||
      !WebPAnimEncoderAssemble(encoder_->encoder, &data)) {
    error = "cannot encode the animation";
    return false;
  }
  std::string reason;
  const bool ok = WriteFileAtomically(
      path, std::string_view(reinterpret_cast<const char*>(data.bytes), data.size), &reason);
  WebPDataClear(&data);
  if (!ok) error = "cannot write " + path + ": " + reason;
  return ok;
}

}  // namespace zm::tool
