#pragma once
// Downloads a page may offer, for trying the program's page downloads and engine downloads:
//   /downloads/report.pdf        application/pdf, named by its address only
//   /downloads/named?name=TEXT   ShowName: TEXT, the query value percent-decoded once ("+" stays),
//                                so a test can send any name: "../../.bashrc", or one encoded again
//   /downloads/plain             ShowName: "Quarterly report.pdf"
//   /downloads/encoded-once      ShowName: "Meeting files 會議.zip", percent-encoded once
//   /downloads/encoded-twice     the same name, percent-encoded twice
//   /downloads/disposition       Content-Disposition: attachment; filename="notes.txt"
//   /downloads/missing           404
//   /downloads/large?mib=N       N MiB (default 1024, at most 4096), streamed; ShowName: large.bin
//   /downloads/slow?kib=N&ms=M   N KiB (default 1024) in 16 KiB pieces M ms apart (default 200);
//                                ShowName: slow.bin; a download there is time to cancel
// Every answer carries Content-Length.

#include <atomic>

namespace httplib {
class Server;
}

// stopping: set when the server shuts down, so that a streamed answer ends at once.
void addDownloadRoutes(httplib::Server& server, const std::atomic<bool>& stopping);
