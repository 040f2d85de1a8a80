// Whether the computer has a network connection at all, asked before every
// update check; tests answer in the system's place.
#pragma once

#include <QNetworkInformation>
#include <functional>

class CConnectionState {
public:
    using Probe = std::function<bool()>;

    static bool IsConnected();
    // Replaces the system's answer (tests); an empty probe restores it.
    static void SetProbe(Probe probe);

    // Only a definite "disconnected" counts: a system that cannot tell must
    // not keep the user from checking.
    static bool CountsAsConnected(QNetworkInformation::Reachability reachability);
};
