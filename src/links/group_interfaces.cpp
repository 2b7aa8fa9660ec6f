#include "links/group_interfaces.h"

#include <algorithm>

namespace varento {

bool carriesGroup(QNetworkInterface::InterfaceFlags flags, bool hasIpv4Address) {
    return hasIpv4Address && flags.testFlag(QNetworkInterface::IsUp) &&
           flags.testFlag(QNetworkInterface::IsRunning) &&
           flags.testFlag(QNetworkInterface::CanMulticast);
}

std::vector<QNetworkInterface> groupInterfaces() {
    std::vector<QNetworkInterface> found;
    for (const QNetworkInterface& iface : QNetworkInterface::allInterfaces()) {
        const auto entries = iface.addressEntries();
        const bool ipv4 = std::any_of(entries.begin(), entries.end(), [](const auto& entry) {
            return entry.ip().protocol() == QAbstractSocket::IPv4Protocol;
        });
        if (iface.index() > 0 && carriesGroup(iface.flags(), ipv4)) {
            found.push_back(iface);
        }
    }
    return found;
}

bool containsInterface(const std::vector<QNetworkInterface>& set, int index) {
    return std::any_of(set.begin(), set.end(),
                       [index](const QNetworkInterface& i) { return i.index() == index; });
}

std::vector<QNetworkInterface> missingFrom(const std::vector<QNetworkInterface>& from,
                                           const std::vector<QNetworkInterface>& other) {
    std::vector<QNetworkInterface> missing;
    for (const QNetworkInterface& iface : from) {
        if (!containsInterface(other, iface.index())) {
            missing.push_back(iface);
        }
    }
    return missing;
}

} // namespace varento
