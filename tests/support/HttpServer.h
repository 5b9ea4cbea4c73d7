#pragma once
// Serves a folder over HTTP on 127.0.0.1 for the length of a test:
//
//   HttpServer server(dir);                                  // every file as it is
//   HttpServer server(dir, HttpServer::Stall, "kozin.dat");  // that file misbehaves, the rest is served
//   server.url()        // "http://127.0.0.1:PORT/"
//   server.requests()   // the paths asked for so far, in order
//
// Faults, for requests whose path ends with `faulty` (every request when it is empty):
//   Drop     the connection is closed without an answer
//   Stall    the headers and half the body, then nothing
//   Close    the headers (full length) and half the body, then the connection is closed
//   Trickle  the body at `bytesPerSecond`
// A request for an absolute address ("GET http://host/path") is answered as a proxy would, from
// the folder by its path.
//
// Runs a small python3 http.server script; the port is read from the first line it prints. The
// destructor stops the server and waits for it.
#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

namespace tolvtest {

class HttpServer {
public:
    enum Fault { None, Drop, Stall, Close, Trickle };

    explicit HttpServer(const std::filesystem::path& dir, Fault fault = None, const std::string& faulty = "",
                        int bytesPerSecond = 200);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    int port() const { return port_; }
    std::string url() const;
    std::vector<std::string> requests() const;
    // How many requests asked for a path ending with `tail`.
    int requestsFor(const std::string& tail) const;

private:
    void stop();

    pid_t pid_ = -1;
    int out_ = -1;
    int port_ = 0;
    std::filesystem::path log_;
};

// A 127.0.0.1 port on which nothing listens (for refused connections).
int unusedPort();

} // namespace tolvtest
