// velm-tool fetch-dream: one dream download exactly as the client does it, in the current game
// directory, with the status texts and the progress shown on the terminal.
#include "FetchDream.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "data/PlayerProfile.h"
#include "data/ProfileList.h"
#include "net/VelmDataManager.h"
#include "net/VelmFileGetter.h"

namespace {
void PrintMessages() {
    for (std::string text; NextTransferMessage(text);) std::printf("%s\n", text.c_str());
    std::fflush(stdout);
}
}  // namespace

int FetchDreamCommand(const std::vector<std::string>& args) {
    std::string id;
    std::string profileFile;
    bool haveId = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--profile" && i + 1 < args.size()) {
            profileFile = args[++i];
        } else if (!haveId) {
            id = args[i];
            haveId = true;
        } else {
            std::fprintf(stderr, "fetch-dream: unexpected argument \"%s\"\n", args[i].c_str());
            return 2;
        }
    }
    if (!haveId) {
        std::fprintf(stderr, "usage: velm-tool fetch-dream ID [--profile FILE]\n");
        return 2;
    }
    if (profileFile.empty()) {
        const std::vector<std::string> profiles = FindProfileFiles();
        if (profiles.empty()) {
            std::fprintf(stderr, "fetch-dream: no complete player profile in this directory\n");
            return 1;
        }
        profileFile = profiles.front();
    }
    if (!LoadPlayerIni(profileFile)) {
        // A profile that cannot be used is a file that could not be used, not a wrong argument.
        std::fprintf(stderr, "fetch-dream: cannot use the player profile \"%s\"\n", profileFile.c_str());
        return 1;
    }
    std::printf("fetching dream \"%s\" as %s\n", id.c_str(), GetPlayerProfile().name.c_str());

    VELM::FileGetter* getter = StartDownload(id, 0, "vvw_tmp\\" + id);
    int shownWritten = -1;
    for (;;) {
        const bool finished = getter->IsFinished();
        PrintMessages();
        int written = 0, total = 0;
        getter->GetProgress(written, total);
        if (written != shownWritten && written > 0) {
            std::printf("progress: %d of %d bytes\n", written, total);
            shownWritten = written;
        }
        if (finished) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    const bool complete = getter->IsComplete();
    EndTransfer(Transfers().front());
    PrintMessages();
    if (complete) std::printf("saved vvw_tmp/%s/%s.dream\n", id.c_str(), id.c_str());
    std::fflush(stdout);
    return complete ? 0 : 1;
}
