// velloq-demo-server: a stand-in for an organisation's server, for demos and tests.
//   --port N    port to listen on; 0 picks a free one (default 18480)
//   --bind HOST address to bind (default 127.0.0.1)
//   --data DIR  data folder (default: the source tree's tools/demo-server/data)
//   --webapp DIR  the sample web app's files (default: the source tree's tools/demo-server/webapp)
//   --with-test-routes  also serve /test/ (odd answers for the program's HTTP tests)
//   --tls       serve HTTPS with a self-signed certificate made at start (no system trusts it)
// Prints "listening on http://HOST:PORT/" (https with --tls) once it accepts connections; ends on SIGTERM or SIGINT.

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include <signal.h>
#include <unistd.h>

#include <httplib.h>

#include "DemoData.h"
#include "DownloadRoutes.h"
#include "LoginPageRoutes.h"
#include "OnboardingRoutes.h"
#include "PrivateCloudRoutes.h"
#include "SampleResponseRoutes.h"
#include "SelfSignedCertificate.h"
#include "TestRoutes.h"
#include "WebAppFiles.h"
#include "WebAppRoutes.h"

namespace {

struct Options {
    int port = 18480;
    std::string bindHost = "127.0.0.1";
    std::string dataFolder = VELLOQ_DEMO_DATA_DIR;
    std::string webAppFolder = VELLOQ_DEMO_WEBAPP_DIR;
    bool withTestRoutes = false;
    bool tls = false;
};

std::optional<Options> parseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--with-test-routes" || name == "--tls") {
            (name == "--tls" ? options.tls : options.withTestRoutes) = true;
            continue;
        }
        if (i + 1 >= argc) return std::nullopt;
        const std::string value = argv[++i];
        if (name == "--port") {
            try {
                options.port = std::stoi(value);
            } catch (const std::exception&) {
                return std::nullopt;
            }
            if (options.port < 0 || options.port > 65535) return std::nullopt;
        } else if (name == "--bind") {
            options.bindHost = value;
        } else if (name == "--data") {
            options.dataFolder = value;
        } else if (name == "--webapp") {
            options.webAppFolder = value;
        } else {
            return std::nullopt;
        }
    }
    return options;
}

// Only SO_REUSEADDR (a restart may bind while old connections linger): the library's default
// adds SO_REUSEPORT, which lets a second server listen on a port that is already taken.
void listenExclusively(socket_t socket) {
    int yes = 1;
    setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
}

// Binds before anything is printed, so the announced port already accepts connections.
int bindServer(httplib::Server& server, const Options& options) {
    server.set_socket_options(listenExclusively);
    if (options.port == 0) return server.bind_to_any_port(options.bindHost);
    return server.bind_to_port(options.bindHost.c_str(), options.port) ? options.port : -1;
}

std::string announcedHost(const std::string& bindHost) {
    return bindHost == "0.0.0.0" || bindHost.empty() ? "127.0.0.1" : bindHost;
}

// Signals are blocked in every thread and taken here, where stopping the server is safe.
std::thread startSignalWaiter(const sigset_t& signals, httplib::Server& server, std::atomic<bool>& stopping) {
    return std::thread([signals, &server, &stopping] {
        int received = 0;
        sigwait(&signals, &received);
        stopping = true;
        server.stop();
    });
}

}  // namespace

int main(int argc, char** argv) {
    const std::optional<Options> options = parseOptions(argc, argv);
    if (!options) {
        std::cerr << "usage: velloq-demo-server [--port N] [--bind HOST] [--data DIR] [--webapp DIR]"
                     " [--with-test-routes] [--tls]\n";
        return 2;
    }
    DemoData data;
    WebAppFiles webApp;
    try {
        data = DemoData::loadFromFolder(options->dataFolder);
        webApp = WebAppFiles::loadFromFolder(options->webAppFolder);
    } catch (const std::exception& e) {
        std::cerr << "velloq-demo-server: " << e.what() << "\n";
        return 1;
    }

    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    SelfSignedCertificate certificate;
    if (options->tls && !(certificate = SelfSignedCertificate::make(announcedHost(options->bindHost))).certificate) {
        std::cerr << "velloq-demo-server: could not make a certificate\n";
        return 1;
    }
    const std::unique_ptr<httplib::Server> served =
        options->tls ? std::make_unique<httplib::SSLServer>(certificate.certificate.get(), certificate.key.get())
                     : std::make_unique<httplib::Server>();
    httplib::Server& server = *served;
    std::atomic<bool> stopping{false};
    addLoginPageRoutes(server, data, webApp);
    addWebAppRoutes(server, webApp);
    addSampleResponseRoutes(server);
    addDownloadRoutes(server, stopping);
    addPrivateCloudRoutes(server, data);
    addOnboardingRoutes(server, data);
    if (options->withTestRoutes) addTestRoutes(server, stopping, webApp);

    const int port = bindServer(server, *options);
    if (port <= 0) {
        std::cerr << "velloq-demo-server: cannot listen on " << options->bindHost << ":" << options->port
                  << ": the port is already in use, or the address is not one of this machine's\n";
        return 1;
    }
    const std::string baseUrl =
        (options->tls ? "https://" : "http://") + announcedHost(options->bindHost) + ":" + std::to_string(port) + "/";
    data.setBaseUrl(baseUrl);

    std::thread signalWaiter = startSignalWaiter(signals, server, stopping);
    std::cout << "listening on " << baseUrl << std::endl;
    server.listen_after_bind();
    // listen_after_bind can also end on its own (a socket error): wake the waiter so it ends too.
    if (!stopping) kill(getpid(), SIGTERM);
    signalWaiter.join();
    return 0;
}
