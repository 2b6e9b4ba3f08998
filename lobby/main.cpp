// tilelink-lobby: stands in for the lobby. `args` prints the nine launch arguments of
// the table client, one a line.
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "core/Ticket.h"
#include "lobby/LaunchPlan.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: tilelink-lobby args --server HOST:PORT --name NAME [--table T] [--watch PLAYER]"
                 " [--secret-file FILE]\n");
    return 2;
}

int RunArgs(int argc, char** argv) {
    LaunchPlan::Request r;
    bool haveServer = false;
    for (int i = 2; i < argc; ++i) {
        const std::string opt = argv[i];
        if (i + 1 >= argc) return Usage();
        const std::string val = argv[++i];
        if (opt == "--server") {
            if (!LaunchPlan::ParseHostPort(val, r.host, r.port)) return Usage();
            haveServer = true;
        } else if (opt == "--name") {
            r.name = val;
        } else if (opt == "--table") {
            r.table = std::atoi(val.c_str());
        } else if (opt == "--watch") {
            r.watch = val;
        } else if (opt == "--secret-file") {
            r.secret = LaunchPlan::ReadSecretFile(val);
            if (!r.secret) {
                std::fprintf(stderr, "tilelink-lobby: cannot read the secret file %s\n", val.c_str());
                return 1;
            }
        } else {
            return Usage();
        }
    }
    if (!haveServer || !Ticket::IsValidName(r.name) || r.table < 1 ||
        (!r.watch.empty() && !Ticket::IsValidName(r.watch)))
        return Usage();
    for (const auto& a : LaunchPlan::Arguments(r, std::time(nullptr))) std::printf("%s\n", a.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    if (std::strcmp(argv[1], "args") == 0) return RunArgs(argc, argv);
    if (std::strcmp(argv[1], "play") == 0 || std::strcmp(argv[1], "serve") == 0 ||
        std::strcmp(argv[1], "join") == 0) {
        std::fprintf(stderr, "tilelink-lobby: '%s' is not built yet; the room server and computer players come first.\n",
                     argv[1]);
        return 3;
    }
    return Usage();
}
