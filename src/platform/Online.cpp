#include "platform/Online.h"

#include <QNetworkInformation>
#include <QNetworkInterface>

#include <atomic>

namespace platform {

namespace {

// -1: ask the system; 0 or 1: forced.
std::atomic<int> g_forced{-1};

bool someInterfaceIsUp()
{
    for (const QNetworkInterface& nic : QNetworkInterface::allInterfaces()) {
        const auto flags = nic.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp)
            || !flags.testFlag(QNetworkInterface::IsRunning)
            || flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        if (!nic.addressEntries().isEmpty())
            return true;
    }
    return false;
}

} // namespace

bool isOnline()
{
    const int forced = g_forced.load();
    if (forced >= 0)
        return forced == 1;
    if (QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability)) {
        const auto reach = QNetworkInformation::instance()->reachability();
        if (reach != QNetworkInformation::Reachability::Unknown)
            return reach == QNetworkInformation::Reachability::Online;
    }
    return someInterfaceIsUp();
}

void forceOnline(std::optional<bool> answer)
{
    g_forced.store(answer ? (*answer ? 1 : 0) : -1);
}

} // namespace platform
