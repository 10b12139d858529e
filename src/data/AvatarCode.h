// Base-95 numbers and the avatar codes the server sends: a colour code of ten colour indices and a
// frame number that selects group, pose and facing direction.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct AvatarAppearance {
    std::int8_t colors[10] = {};  // character code - 32; [0] fur, [5] vest. Not clamped: see PartColor
    std::int32_t group = 0;       // 0..5: block of 20 frames
    std::int32_t variant = 0;     // 0, or 2 when the frame number exceeded 500
    std::int32_t direction = 0;   // 0..3 facing code
    std::int32_t pose = 0;        // 0..4
};

// Each character is a digit worth its code - 32 (characters as signed bytes), most significant first.
// A value beyond 32 bits wraps around.
std::int32_t decodeBase95(std::string_view text);

// One digit: the character value mod 95 + 32. Two digits: value / 95 + 32, then value mod 95 + 32.
// Signed 32-bit division and remainder; values are not range-checked.
std::string encodeBase95(std::int32_t value, bool twoDigits);

// Updates the record from the codes; the parts a code does not reach keep their values. A colour code
// shorter than 10 characters and a frame code shorter than 2 characters change nothing.
void decodeAvatarAppearance(std::string_view colorCode, std::string_view frameCode, AvatarAppearance& record);
