#include "settings/saver_settings.h"

namespace zm {

SaverSettingsRecord SaverSettings;

}  // namespace zm
