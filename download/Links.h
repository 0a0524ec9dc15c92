// The maker's web addresses; each can be replaced through the environment (tests, mirrors).
#pragma once

#include <QUrl>

namespace quendle {

QUrl homePageUrl();   // QUENDLE_HOME_PAGE_URL
QUrl ticketsUrl();    // QUENDLE_TICKETS_URL
QUrl companionUrl();  // QUENDLE_COMPANION_URL; its path is "/dmg/Vorlith.dmg"
inline constexpr const char* kDownloadDestination = "/tmp/AutoUpdater.dmg";

} // namespace quendle
