// The connection state through Qt's network information backends.
#include "update/connection_state.h"

namespace {

CConnectionState::Probe& probe()
{
    static CConnectionState::Probe p;
    return p;
}

QNetworkInformation::Reachability SystemReachability()
{
    // Loaded once, on the first check; without a backend nothing is known.
    static const bool loaded = QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability);
    QNetworkInformation* information = loaded ? QNetworkInformation::instance() : nullptr;
    return information ? information->reachability() : QNetworkInformation::Reachability::Unknown;
}

} // namespace

bool CConnectionState::IsConnected()
{
    if (probe())
        return probe()();
    return CountsAsConnected(SystemReachability());
}

void CConnectionState::SetProbe(Probe p)
{
    probe() = std::move(p);
}

bool CConnectionState::CountsAsConnected(QNetworkInformation::Reachability reachability)
{
    return reachability != QNetworkInformation::Reachability::Disconnected;
}
