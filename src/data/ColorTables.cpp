// Colour files are read as a stream of whitespace-separated tokens; line structure does not matter.
#include "data/ColorTables.h"

#include <string_view>
#include <vector>

#include "data/ByteReader.h"
#include "runtime/LogFile.h"
#include "runtime/ProcessState.h"

namespace {
std::array<PartColorTable, kColorPartCount> g_tables{};

constexpr const char* kPartNames[kColorPartCount] = {"badge", "bracer", "boot",    "cape",  "eye",
                                                     "fur",   "hair",   "marking", "pants", "vest"};

bool IsSpace(std::uint8_t c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Whitespace-separated tokens over a file's bytes. atEnd() turns true once a read has met the end of
// the bytes: a token that runs to the very end, or a read that finds no token.
class Tokens {
public:
    explicit Tokens(const std::vector<std::uint8_t>& bytes) : m_bytes(bytes) {}

    bool word(std::string_view& token) {
        while (m_position < m_bytes.size() && IsSpace(m_bytes[m_position])) {
            ++m_position;
        }
        const std::size_t start = m_position;
        while (m_position < m_bytes.size() && !IsSpace(m_bytes[m_position])) {
            ++m_position;
        }
        m_atEnd = m_position == m_bytes.size();
        token = std::string_view(reinterpret_cast<const char*>(m_bytes.data()) + start, m_position - start);
        return !token.empty();
    }

    enum Number { kNumber, kMissing, kMalformed };

    // A decimal integer token: an optional sign and digits, within 32 bits.
    Number number(std::int32_t& value) {
        std::string_view token;
        if (!word(token)) {
            return kMissing;
        }
        std::size_t i = 0;
        const bool negative = token[0] == '-';
        if (token[0] == '-' || token[0] == '+') {
            ++i;
        }
        if (i == token.size()) {
            return kMalformed;
        }
        std::int64_t magnitude = 0;
        for (; i < token.size(); ++i) {
            if (token[i] < '0' || token[i] > '9') {
                return kMalformed;
            }
            magnitude = magnitude * 10 + (token[i] - '0');
            if (magnitude > 2147483648LL) {
                return kMalformed;
            }
        }
        if (!negative && magnitude > 2147483647LL) {
            return kMalformed;
        }
        value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
        return kNumber;
    }

    bool atEnd() const { return m_atEnd; }

private:
    const std::vector<std::uint8_t>& m_bytes;
    std::size_t m_position = 0;
    bool m_atEnd = false;
};
}  // namespace

const char* ColorPartName(ColorPart part) {
    return part >= 0 && part < kColorPartCount ? kPartNames[part] : "";
}

void loadColorPairs(const std::string& path, ColorPairs& pairs) {
    pairs.clear();
    std::vector<std::uint8_t> bytes;
    if (!ReadFileBytes(path, bytes)) {
        errorLog.Write("Failed to open " + path + " to load color pairs.\n");
        return;
    }
    Tokens tokens(bytes);
    std::string_view name;
    for (;;) {
        if (!tokens.word(name) || name == "End") {
            break;
        }
        std::int32_t component[3] = {};
        bool complete = true;
        for (std::int32_t& c : component) {
            // A token that is not a number ends the list like the end of the file does.
            if (tokens.number(c) != Tokens::kNumber || tokens.atEnd()) {
                complete = false;
                break;
            }
        }
        if (!complete) {
            break;
        }
        const std::uint32_t color = ((static_cast<std::uint32_t>(component[0]) & 0xFF) << 16) |
                                    ((static_cast<std::uint32_t>(component[1]) & 0xFF) << 8) |
                                    (static_cast<std::uint32_t>(component[2]) & 0xFF);
        pairs.emplace(std::string(name), color);  // a name seen before keeps its first colour
        if (tokens.atEnd()) {
            break;
        }
    }
    if (name != "End") {
        errorLog.Write("Error in file " + path + ", some colors may be wrong...\n");
    }
}

void loadPartColorTable(const std::string& path, const ColorPairs& pairs, PartColorTable& table) {
    if (pairs.empty()) {
        return;
    }
    std::vector<std::uint8_t> bytes;
    if (!ReadFileBytes(path, bytes)) {
        errorLog.Write("Failed to open " + path + " to load color indices from.\n");
        return;
    }
    table.fill(0);
    Tokens tokens(bytes);
    bool terminated = false;
    for (;;) {
        std::int32_t index = 0;
        if (tokens.number(index) != Tokens::kNumber) {
            break;
        }
        if (index < 0) {
            terminated = true;
            break;
        }
        std::string_view name;
        if (!tokens.word(name)) {
            break;
        }
        if (index >= kColorTableSize) {
            errorLog.Write("Color index too high (" + std::to_string(index) + ") in file " + path +
                           "...  ignoring it.\n");
        } else if (auto found = pairs.find(std::string(name)); found == pairs.end()) {
            errorLog.Write("No such color (" + std::string(name) + "), referanced in file " + path + "\n");
        } else {
            table[static_cast<std::size_t>(index)] = found->second;
        }
        if (tokens.atEnd()) {
            break;
        }
    }
    if (!terminated) {
        errorLog.Write("Error in file " + path + "\n");
    }
}

void loadColorTables(const std::string& folder) {
    ColorPairs pairs;
    loadColorPairs(folder + "colors.txt", pairs);
    for (int part = 0; part < kColorPartCount; ++part) {
        loadPartColorTable(folder + kPartNames[part] + ".txt", pairs,
                           g_tables[static_cast<std::size_t>(part)]);
    }
}

const PartColorTable& GetPartColorTable(ColorPart part) {
    return g_tables[static_cast<std::size_t>(part >= 0 && part < kColorPartCount ? part : 0)];
}

std::uint32_t PartColor(ColorPart part, int index) {
    const int clamped = index < 0 ? 0 : (index >= kColorTableSize ? kColorTableSize - 1 : index);
    return GetPartColorTable(part)[static_cast<std::size_t>(clamped)];
}

const bool kRegistered = RegisterProcessState(
    "colour tables",
    [] {
        for (PartColorTable& table : g_tables) {
            table.fill(0);
        }
    },
    kDataState);
