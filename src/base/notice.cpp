#include "base/notice.h"

namespace zm {

namespace {

NoticeSink noticeSink = nullptr;

}  // namespace

void SetNoticeSink(NoticeSink sink) { noticeSink = sink; }

void Notice(const std::string& text) {
  if (noticeSink != nullptr) noticeSink(text);
}

}  // namespace zm
