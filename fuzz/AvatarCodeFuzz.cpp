// Avatar codes of any bytes: the first byte splits the input into colour code and frame code; the
// decoded record must stay within its documented ranges.
#include <cassert>
#include <string_view>

#include "data/AvatarCode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::size_t split = data[0] < size ? data[0] : size - 1;
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    AvatarAppearance record;
    decodeAvatarAppearance(text.substr(0, split), text.substr(split), record);
    assert(record.group >= 0 && record.group <= 5);
    assert(record.pose >= 0 && record.pose <= 4);
    assert(record.direction >= 0 && record.direction <= 3);
    assert(record.variant == 0 || record.variant == 2);
    (void)decodeBase95(text);
    return 0;
}
