// Decoding of the server's avatar codes.
#include "data/AvatarCode.h"

#include "runtime/LogFile.h"

std::int32_t decodeBase95(std::string_view text) {
    std::uint32_t value = 0;
    for (char c : text) {
        value = value * 95u + static_cast<std::uint32_t>(static_cast<signed char>(c) - 32);
    }
    return static_cast<std::int32_t>(value);
}

std::string encodeBase95(std::int32_t value, bool twoDigits) {
    std::string text;
    if (twoDigits) {
        text += static_cast<char>(value / 95 + 32);
    }
    text += static_cast<char>(value % 95 + 32);
    return text;
}

void decodeAvatarAppearance(std::string_view colorCode, std::string_view frameCode,
                            AvatarAppearance& record) {
    if (colorCode.size() >= 10) {
        for (int i = 0; i < 10; ++i) {
            record.colors[i] = static_cast<std::int8_t>(
                static_cast<signed char>(colorCode[static_cast<std::size_t>(i)]) - 32);
        }
    }
    if (frameCode.size() < 2) {
        return;
    }
    const std::int32_t decoded = decodeBase95(frameCode);
    // 64 bits: the subtractions below cannot overflow whatever the code held.
    std::int64_t v = decoded;
    if (v == 0) {
        return;
    }
    if (v > 500) {
        record.variant = 2;
        v -= 500;
    } else {
        record.variant = 0;
    }
    if (v <= 20) {
        record.group = 0;
    } else if (v <= 40) {
        record.group = 1;
        v -= 20;
    } else if (v <= 60) {
        record.group = 2;
        v -= 40;
    } else if (v <= 80) {
        record.group = 3;
        v -= 60;
    } else if (v <= 100) {
        record.group = 4;
        v -= 80;
    } else {
        record.group = 5;
        v -= 100;
        if (v > 20) {
            errorLog.Write(
                "Warning: Animation frame could not be correctly parsed: " + std::to_string(decoded) + "\n");
            v %= 21;
        }
    }
    if (v < 17) {
        switch (static_cast<std::uint64_t>(v - 1) & 3u) {
        case 0:
            record.pose = 0;
            v -= 1;
            break;
        case 1:
            record.pose = 3;
            v -= 2;
            break;
        case 2:
            record.pose = 2;
            v -= 3;
            break;
        default:
            record.pose = 4;
            v -= 4;
            break;
        }
        switch (v) {
        case 0: record.direction = 2; break;
        case 4: record.direction = 3; break;
        case 8: record.direction = 1; break;
        case 12: record.direction = 0; break;
        default: break;
        }
    } else {
        record.pose = 1;
        v -= 17;
        switch (v) {
        case 0: record.direction = 2; break;
        case 1: record.direction = 3; break;
        case 2: record.direction = 0; break;
        case 3: record.direction = 1; break;
        default: break;
        }
    }
}
