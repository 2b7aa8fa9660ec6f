#pragma once

#include <QNetworkInterface>

#include <vector>

namespace varento {

// Whether the link joins the daemon group on an interface: it must be up, running
// and multicast-capable and have an IPv4 address (the group is IPv4). A loopback
// interface counts like any other when it can carry multicast.
bool carriesGroup(QNetworkInterface::InterfaceFlags flags, bool hasIpv4Address);

// The interfaces that carry the group right now.
std::vector<QNetworkInterface> groupInterfaces();

// The entries of `from` whose interface index is not among `other`'s.
std::vector<QNetworkInterface> missingFrom(const std::vector<QNetworkInterface>& from,
                                           const std::vector<QNetworkInterface>& other);

// Whether an interface with this index is in `set`.
bool containsInterface(const std::vector<QNetworkInterface>& set, int index);

} // namespace varento
