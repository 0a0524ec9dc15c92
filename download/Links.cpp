// The maker's web addresses; each can be replaced through the environment (tests, mirrors).
#include "download/Links.h"

#include <QByteArray>
#include <QString>

namespace quendle {

namespace {

// The maker's own hosts. Plain HTTP on purpose: these are the addresses the maker publishes.
constexpr const char* kHomePage = "http://www.quendle.org/";
constexpr const char* kTickets = "http://tickets.quendle.org/";
constexpr const char* kCompanion = "http://download.quendle.org/dmg/Vorlith.dmg";

// An empty variable counts as unset, so that `VAR= quendle` doesn't leave a link without address.
QUrl fromEnvironment(const char* variable, const char* fallback)
{
    const QByteArray value = qgetenv(variable);
    return QUrl(value.isEmpty() ? QString::fromLatin1(fallback) : QString::fromLocal8Bit(value));
}

} // namespace

QUrl homePageUrl()
{
    return fromEnvironment("QUENDLE_HOME_PAGE_URL", kHomePage);
}

QUrl ticketsUrl()
{
    return fromEnvironment("QUENDLE_TICKETS_URL", kTickets);
}

QUrl companionUrl()
{
    return fromEnvironment("QUENDLE_COMPANION_URL", kCompanion);
}

} // namespace quendle
