// Player profiles of any bytes.
#include "FuzzFile.h"
#include "data/PlayerProfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    WriteFuzzFile("fuzz.ini", data, size);
    PlayerProfile profile;
    LoadPlayerIni("fuzz.ini", profile);
    return 0;
}
