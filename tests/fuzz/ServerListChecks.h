#pragma once
// Invariants of the server list that the remote configuration currently holds, shared by the
// server-list and the remote-configuration fuzz targets.

class Q7ZRemoteConfigSingleton;

void checkServerList(const Q7ZRemoteConfigSingleton& config);
