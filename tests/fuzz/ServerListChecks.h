#pragma once
// Invariants of the server list that the remote configuration currently holds, shared by the
// targets that fill it (kept in ServerListFuzz.cpp).

#include <string>
#include <tuple>

class Q7ZRemoteConfigSingleton;

void checkServerList(const Q7ZRemoteConfigSingleton& config);

// Title, title icon, server list text and version.
std::tuple<std::string, std::string, std::string, std::string> remoteConfigValues(
    const Q7ZRemoteConfigSingleton& config);
