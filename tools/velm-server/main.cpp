// velm-server: stand-in servers for the client. "velm-server file ..." serves dream files, "velm-server
// game ..." the demo world.
#include <cstdio>
#include <string>
#include <vector>

#include "FileServer.h"
#include "GameServer.h"

namespace {
void PrintUsage() {
    std::fputs(
        "usage: velm-server file [--root DIR] [--port N] [--port-file FILE] [--log FILE]\n"
        "                        [--block-size B] [--window N] [--fault MODE] [--once]\n"
        "fault modes: close-mid, close-after-last, repeat-block, wrong-marker, drip,\n"
        "             garbage-welcome, split-welcome, silent\n"
        "usage: velm-server game [--world DIR] [--port N] [--port-file FILE] [--log FILE]\n"
        "                        [--accounts FILE] [--bots N] [--login-limit SECONDS] [--fault MODE]\n"
        "                        [--once]\n"
        "fault modes: split-greeting, no-end, refuse-login, endless-line, garbage,\n"
        "             close-after-login\n",
        stderr);
}
}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        PrintUsage();
        return 2;
    }
    const std::string mode = args.front();
    args.erase(args.begin());
    if (mode == "file") return RunFileServer(args);
    if (mode == "game") return RunGameServer(args);
    PrintUsage();
    return 2;
}
