#pragma once

#include <string>

namespace zm {

// Something the user should hear of that is no error (a file kept aside, a
// folder missing). The platform installs where it goes (standard error on
// Linux); until then notices go nowhere.
using NoticeSink = void (*)(const std::string& text);
void SetNoticeSink(NoticeSink sink);
void Notice(const std::string& text);

}  // namespace zm
