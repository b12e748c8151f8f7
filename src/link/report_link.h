// The report link: the URL that carries one scan's findings to the web site.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "checks/scan_types.h"

// The present settings as "key=value" texts, in their fixed order.
std::vector<std::string> settings_query_pairs(const SettingsSnapshot& settings);

// Percent-encodes every UTF-8 byte except ASCII letters, digits and "-._~".
std::string percent_encode(std::string_view text);

// site_origin + "/detect?..." with the findings, or site_origin + "/my-rig".
std::string build_report_link(const ScanReport& report, bool nothing_found);

// The host name of the site origin, as the window shows it.
std::string_view site_host();
