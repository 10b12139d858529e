// velm-server: stand-in servers for the client. "velm-server file ..." serves dream files.
#include <cstdio>
#include <string>
#include <vector>

#include "FileServer.h"

namespace {
void PrintUsage() {
    std::fputs(
        "usage: velm-server file [--root DIR] [--port N] [--port-file FILE] [--log FILE]\n"
        "                        [--block-size B] [--window N] [--fault MODE] [--once]\n"
        "fault modes: close-mid, close-after-last, repeat-block, wrong-marker, drip,\n"
        "             garbage-welcome, split-welcome, silent\n",
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
    PrintUsage();
    return 2;
}
