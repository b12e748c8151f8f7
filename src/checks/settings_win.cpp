#include "checks/settings.h"

SettingsSnapshot scan_settings(const std::optional<std::string>&, const std::vector<DisplayInfo>&)
{
    return {};  // not probed yet
}
