#include "SampleResponseRoutes.h"

#include <map>

#include <httplib.h>

#include "SampleFiles.h"

namespace {

struct SampleResponse {
    std::string contentType;
    std::string body;
    std::string showName;  // as sent in the ShowName header; empty: no header
};

// Built on first use (thread-safe static initialisation) and kept for the server's life.
const std::map<std::string, SampleResponse>& sampleResponses() {
    static const std::map<std::string, SampleResponse> responses = {
        {"html",
         {"text/html; charset=utf-8",
          "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>Sample page</title></head>"
          "<body style=\"font-family: sans-serif\"><h1>Sample page</h1>"
          "<p>An HTML answer: the program shows it where it was asked for.</p></body></html>\n",
          ""}},
        {"xml",
         {"application/xml; charset=utf-8",
          "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<roster organisation=\"Acme\">"
          "<member id=\"ann\">Ann O'Neil</member><member id=\"bob\">Bob Chen</member></roster>\n",
          ""}},
        {"json",
         {"application/json; charset=utf-8",
          R"({"unread": 3, "rooms": ["Sales", "Q3 planning"]})"
          "\n",
          ""}},
        {"png", {"image/png", SampleFiles::png(), ""}},
        {"pdf", {"application/pdf", SampleFiles::pdf("Velloq Parlor sample"), "Quarterly%20report.pdf"}},
        {"zip",
         {"application/zip",
          SampleFiles::zip({{"agenda.txt", "1. Welcome\n2. Quarter in review\n3. Questions\n"},
                            {"notes.txt", "Bring the slides.\n"}}),
          "Meeting%2520files%2520%25E6%259C%2583%25E8%25AD%25B0.zip"}},
    };
    return responses;
}

}  // namespace

void addSampleResponseRoutes(httplib::Server& server) {
    server.Get(R"(/samples/sample\.(html|xml|json|png|pdf|zip))",
               [](const httplib::Request& request, httplib::Response& response) {
                   const SampleResponse& sample = sampleResponses().at(request.matches[1].str());
                   if (!sample.showName.empty()) response.set_header("ShowName", sample.showName);
                   response.set_content(sample.body, sample.contentType);
               });
}
