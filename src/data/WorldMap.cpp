// Map files: text header lines ("MAP V01.10 Velmoria", height, width, ... "BODY"), then three binary
// sections (floors, objects, walls) ordered by file column, then file row.
#include "data/WorldMap.h"

#include <cstring>
#include <string_view>

#include "data/ByteReader.h"
#include "runtime/LogFile.h"
#include "runtime/ProcessState.h"

namespace {
WorldMap g_map;

constexpr std::string_view kMagic = "MAP V01.10 Velmoria";

// The next line of the header: the bytes up to a line feed, which is consumed; a carriage return stays
// part of the line. At the end of the bytes the line is empty.
std::string_view NextLine(ByteReader& in, const std::uint8_t* data) {
    const std::size_t start = in.position();
    while (in.remaining() > 0) {
        if (in.u8() == '\n') {
            return std::string_view(reinterpret_cast<const char*>(data) + start, in.position() - 1 - start);
        }
    }
    return std::string_view(reinterpret_cast<const char*>(data) + start, in.position() - start);
}

// The number at the start of text as the C library's atoi reads it (leading blanks and a sign accepted,
// stopping at the first non-digit), held within 32 bits.
std::int32_t ParseLeadingInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > 2147483648LL) {
            value = 2147483648LL;
        }
    }
    value = negative ? -value : value;
    return static_cast<std::int32_t>(value > 2147483647LL ? 2147483647LL : value);
}

// A result computed in 64 bits, wrapped to 32 bits as the conversions of any input are defined.
std::int32_t Narrow(std::int64_t value) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}
}  // namespace

void WorldMap::clear() {
    ++m_revision;
    m_gridWidth = 0;
    m_gridHeight = 0;
    m_fileWidth = 0;
    m_fileHeight = 0;
    // The cell block is kept for the next load; with a grid side of 0 no cell can be reached.
}

bool WorldMap::load(const std::string& path) {
    clear();
    std::vector<std::uint8_t> bytes;
    if (!ReadFileBytes(path, bytes)) {
        errorLog.Write("Failed to load velm .map file: " + path + "\n");
        return false;
    }
    return loadBytes(bytes.data(), bytes.size(), path);
}

bool WorldMap::loadBytes(const std::uint8_t* data, std::size_t size, const std::string& path) {
    clear();
    ByteReader in(data, size);
    if (NextLine(in, data) != kMagic) {
        errorLog.Write("Warning: Unrecognized map version found in map file: " + path + "\n");
        errorLog.Write("  -load may potentially be invalid.\n");
    }
    std::int32_t height = 0;
    std::int32_t width = 0;
    if (const std::string_view line = NextLine(in, data); line.size() >= 8 && line.substr(0, 3) == "hei") {
        height = ParseLeadingInt(line.substr(7));
    }
    if (const std::string_view line = NextLine(in, data); line.size() >= 7 && line.substr(0, 3) == "wid") {
        width = ParseLeadingInt(line.substr(6));
    }
    for (;;) {
        const std::string_view line = NextLine(in, data);
        if (line.empty()) {
            errorLog.Write("Error: Format of file unrecognized: " + path + "\n");
            return false;
        }
        if (line == "BODY") {
            break;
        }
    }

    if (width < 0 || height < 0 || static_cast<std::int64_t>(width) + height > kMaxMapGridSide) {
        errorLog.Write("Error: Map size out of range (width " + std::to_string(width) + ", height " +
                       std::to_string(height) + ") in map file: " + path + "\n");
        return false;
    }
    const std::int32_t side = width + height;
    if (side < 1) {
        return false;
    }
    m_fileWidth = width;
    m_fileHeight = height;
    const std::size_t count = static_cast<std::size_t>(side) * static_cast<std::size_t>(side);
    if (count > m_cellCapacity || count < m_cellCapacity / 4) {
        m_cells.reset();
        m_cells.reset(new MapCell[count]);
        m_cellCapacity = count;
    }
    m_gridWidth = side;
    m_gridHeight = side;

    // The body: floors, objects and walls at fixed offsets from its start. A body shorter than the
    // header promises is read as if zero-filled to its full length.
    const std::size_t body = in.position();
    const std::size_t w = static_cast<std::size_t>(width);
    const std::size_t h = static_cast<std::size_t>(height);
    const std::size_t bodySize = 6 * w * h;
    const std::uint8_t* bytes = data + body;
    std::vector<std::uint8_t> padded;
    if (size - body < bodySize) {
        padded.assign(bodySize, 0);
        if (size > body) {
            std::memcpy(padded.data(), data + body, size - body);
        }
        bytes = padded.data();
    }
    const std::uint8_t* floors = bytes;
    const std::uint8_t* objects = bytes + 2 * w * h;
    const std::uint8_t* walls = bytes + 4 * w * h;

    // Built grid row by grid row, so the grid is written once, in order. In grid row gy the file cells
    // are those with x = c + (y + 1) / 2 and gx = c + y, c = H/2 - gy: one run of y, the inverse of
    // fileToGrid.
    std::vector<MapCell> emptyRow(static_cast<std::size_t>(side), kEmptyMapCell);
    for (std::int32_t gy = 0; gy < side; ++gy) {
        MapCell* row = m_cells.get() + static_cast<std::size_t>(gy) * static_cast<std::size_t>(side);
        std::memcpy(row, emptyRow.data(), emptyRow.size() * sizeof(MapCell));
        const std::int64_t c = height / 2 - gy;
        // x >= 0 needs (y + 1) / 2 >= -c; gx >= 0 needs y >= -c.
        const std::int64_t first = c >= 0 ? 0 : -2 * c - 1;
        for (std::int64_t y = first; y < height; ++y) {
            const std::int64_t x = c + (y + 1) / 2;
            const std::int64_t gx = c + y;
            if (x >= width || gx >= side) {
                break;
            }
            if (x < 0 || gx < 0) {
                continue;
            }
            const std::size_t column = static_cast<std::size_t>(x) * h;
            const std::size_t at = column + static_cast<std::size_t>(y);
            MapCell& cell = row[gx];
            cell.floor = static_cast<std::uint16_t>(floors[2 * at] | floors[2 * at + 1] << 8);
            cell.object = static_cast<std::uint16_t>(objects[2 * at] | objects[2 * at + 1] << 8);
            cell.wallLowX = walls[column + at];
            cell.wallLowY = walls[column + h + at];
        }
    }
    return true;
}

void WorldMap::fileToGrid(std::int32_t x, std::int32_t y, std::int32_t& gx, std::int32_t& gy) const {
    gx = Narrow(static_cast<std::int64_t>(x) + y / 2);
    gy = Narrow(static_cast<std::int64_t>(m_fileHeight / 2) + (static_cast<std::int64_t>(y) + 1) / 2 - x);
}

void WorldMap::gridToFile(std::int32_t gx, std::int32_t gy, std::int32_t& x, std::int32_t& y) const {
    const std::int64_t t = static_cast<std::int64_t>(gy) - m_fileHeight / 2;
    x = Narrow(((gx - t) * 2 + 2) / 4);
    y = Narrow(t + gx);
}

const MapCell* WorldMap::cellAt(std::int32_t gx, std::int32_t gy) const {
    if (gx < 0 || gy < 0 || gx >= m_gridWidth || gy >= m_gridHeight) {
        return nullptr;
    }
    return &m_cells[static_cast<std::size_t>(gy) * static_cast<std::size_t>(m_gridWidth) +
                    static_cast<std::size_t>(gx)];
}

MapCell* WorldMap::cellAt(std::int32_t gx, std::int32_t gy) {
    return const_cast<MapCell*>(static_cast<const WorldMap*>(this)->cellAt(gx, gy));
}

std::uint16_t WorldMap::getFloor(std::int32_t gx, std::int32_t gy) const {
    const MapCell* cell = cellAt(gx, gy);
    return cell ? cell->floor : 0;
}
std::uint16_t WorldMap::getObject(std::int32_t gx, std::int32_t gy) const {
    const MapCell* cell = cellAt(gx, gy);
    return cell ? cell->object : 0;
}
std::int32_t WorldMap::getWallLowY(std::int32_t gx, std::int32_t gy) const {
    const MapCell* cell = cellAt(gx, gy);
    return cell ? cell->wallLowY : 0;
}
std::int32_t WorldMap::getWallLowX(std::int32_t gx, std::int32_t gy) const {
    const MapCell* cell = cellAt(gx, gy);
    return cell ? cell->wallLowX : 0;
}
void WorldMap::setFloor(std::int32_t gx, std::int32_t gy, std::uint16_t value) {
    ++m_revision;
    if (MapCell* cell = cellAt(gx, gy)) {
        cell->floor = value;
    }
}
void WorldMap::setObject(std::int32_t gx, std::int32_t gy, std::uint16_t value) {
    ++m_revision;
    if (MapCell* cell = cellAt(gx, gy)) {
        cell->object = value;
    }
}
void WorldMap::setWallLowY(std::int32_t gx, std::int32_t gy, std::uint8_t value) {
    ++m_revision;
    if (MapCell* cell = cellAt(gx, gy)) {
        cell->wallLowY = value;
    }
}
void WorldMap::setWallLowX(std::int32_t gx, std::int32_t gy, std::uint8_t value) {
    ++m_revision;
    if (MapCell* cell = cellAt(gx, gy)) {
        cell->wallLowX = value;
    }
}

WorldMap& CurrentMap() {
    return g_map;
}
bool loadMapFile(const std::string& path) {
    return g_map.load(path);
}
void mapSize(std::int32_t& width, std::int32_t& height) {
    width = g_map.gridWidth();
    height = g_map.gridHeight();
}
void fileToGrid(std::int32_t x, std::int32_t y, std::int32_t& gx, std::int32_t& gy) {
    g_map.fileToGrid(x, y, gx, gy);
}
void gridToFile(std::int32_t gx, std::int32_t gy, std::int32_t& x, std::int32_t& y) {
    g_map.gridToFile(gx, gy, x, y);
}
std::uint16_t getFloor(std::int32_t gx, std::int32_t gy) {
    return g_map.getFloor(gx, gy);
}
std::uint16_t getObject(std::int32_t gx, std::int32_t gy) {
    return g_map.getObject(gx, gy);
}
std::int32_t getWallLowY(std::int32_t gx, std::int32_t gy) {
    return g_map.getWallLowY(gx, gy);
}
std::int32_t getWallLowX(std::int32_t gx, std::int32_t gy) {
    return g_map.getWallLowX(gx, gy);
}
void setFloor(std::int32_t gx, std::int32_t gy, std::uint16_t value) {
    g_map.setFloor(gx, gy, value);
}
void setObject(std::int32_t gx, std::int32_t gy, std::uint16_t value) {
    g_map.setObject(gx, gy, value);
}
void setWallLowY(std::int32_t gx, std::int32_t gy, std::uint8_t value) {
    g_map.setWallLowY(gx, gy, value);
}
void setWallLowX(std::int32_t gx, std::int32_t gy, std::uint8_t value) {
    g_map.setWallLowX(gx, gy, value);
}
const bool kRegistered = RegisterProcessState(
    "map", [] { g_map.clear(); }, kDataState);
