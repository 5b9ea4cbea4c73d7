#pragma once
// Serves a folder over HTTP on 127.0.0.1 for the length of a test:
//
//   HttpServer server(dir);
//   server.url()   // "http://127.0.0.1:PORT/"
//
// Runs `python3 -u -m http.server 0 --bind 127.0.0.1 --directory DIR`; the port is read from the
// first line it prints. The destructor stops the server and waits for it.
#include <filesystem>
#include <string>
#include <sys/types.h>

namespace tolvtest {

class HttpServer {
public:
    explicit HttpServer(const std::filesystem::path& dir);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    int port() const { return port_; }
    std::string url() const;

private:
    void stop();

    pid_t pid_ = -1;
    int out_ = -1;
    int port_ = 0;
};

// A 127.0.0.1 port on which nothing listens (for refused connections).
int unusedPort();

} // namespace tolvtest
