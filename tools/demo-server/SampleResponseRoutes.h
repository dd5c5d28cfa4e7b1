#pragma once
// Small answers of every type a page may lead to, for trying the program's response handling:
//   /samples/sample.html  text/html          /samples/sample.json  application/json
//   /samples/sample.xml   application/xml    /samples/sample.png   image/png
//   /samples/sample.pdf   application/pdf    (ShowName: "Quarterly report.pdf", encoded once)
//   /samples/sample.zip   application/zip    (ShowName: "Meeting files 會議.zip", encoded twice)
// The program shows the first two and downloads the others, saving them under ShowName.

namespace httplib {
class Server;
}

void addSampleResponseRoutes(httplib::Server& server);
