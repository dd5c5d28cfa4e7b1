#pragma once
// The private cloud service: POST /PrivateCloudService.ashx?ASK=getServerSetting with the form
// members CloudKey and T. A code listed in codes.json gets its answer; any other code, a missing
// T or another ASK gets {"IsSuccess": false}.

namespace httplib {
class Server;
}
class DemoData;

void addPrivateCloudRoutes(httplib::Server& server, const DemoData& data);
