#pragma once
// Invariants of the server list that the remote configuration currently holds, shared by the
// server-list and the remote-configuration fuzz targets, and of what an enterprise code check
// stores, shared by the setting-code and the private-cloud-answer targets.

#include <string>
#include <tuple>

class Q7ZRemoteConfigSingleton;

void checkServerList(const Q7ZRemoteConfigSingleton& config);

// Title, title icon, server list text and version.
std::tuple<std::string, std::string, std::string, std::string> remoteConfigValues(const Q7ZRemoteConfigSingleton& config);

// After a check stored what it learnt: the server is chosen by the list's rule and what was
// stored survives the save of both stores and the next load.
void checkChosenServerSurvivesSave();
