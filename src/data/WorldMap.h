// The current map: the file's staggered W x H grid of tiles, held as a square grid of side S = W + H
// rotated by 45 degrees, so the world renderer can lay cells out on a plain square lattice.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

// A plain record (no constructor), so a grid of millions of cells is not built one by one.
struct MapCell {
    std::uint16_t floor;    // floor tile number; 0xFFFF: no floor
    std::uint16_t object;   // object number; 0: none
    std::uint8_t wallLowY;  // non-zero: a wall on the edge at gy - 0.5
    std::uint8_t wallLowX;  // non-zero: a wall on the edge at gx - 0.5
};

// A cell that no file cell reaches.
inline constexpr MapCell kEmptyMapCell = {0xFFFF, 0, 0, 0};

// Grid sides above this are refused: they could not come from a real map and would size a huge grid.
inline constexpr std::int32_t kMaxMapGridSide = 4096;

class WorldMap {
public:
    // Replaces the map with the file (program path). The previous map is gone even if the load fails.
    bool load(const std::string& path);
    // The same from bytes in memory; path only names the file in messages.
    bool loadBytes(const std::uint8_t* data, std::size_t size, const std::string& path);

    void clear();

    std::int32_t gridWidth() const { return m_gridWidth; }
    std::int32_t gridHeight() const { return m_gridHeight; }
    std::int32_t fileWidth() const { return m_fileWidth; }    // W
    std::int32_t fileHeight() const { return m_fileHeight; }  // H

    void fileToGrid(std::int32_t x, std::int32_t y, std::int32_t& gx, std::int32_t& gy) const;
    void gridToFile(std::int32_t gx, std::int32_t gy, std::int32_t& x, std::int32_t& y) const;

    // Outside 0..S-1 every getter gives 0 and every setter does nothing.
    std::uint16_t getFloor(std::int32_t gx, std::int32_t gy) const;
    std::uint16_t getObject(std::int32_t gx, std::int32_t gy) const;
    std::int32_t getWallLowY(std::int32_t gx, std::int32_t gy) const;
    std::int32_t getWallLowX(std::int32_t gx, std::int32_t gy) const;
    void setFloor(std::int32_t gx, std::int32_t gy, std::uint16_t value);
    void setObject(std::int32_t gx, std::int32_t gy, std::uint16_t value);
    void setWallLowY(std::int32_t gx, std::int32_t gy, std::uint8_t value);
    void setWallLowX(std::int32_t gx, std::int32_t gy, std::uint8_t value);

    // Grows with every change (a load, a clear, any setter, even of a cell off the map or to its old
    // value): what is built from the map is out of date when the revision it was built at is not this.
    std::uint64_t revision() const { return m_revision; }

private:
    const MapCell* cellAt(std::int32_t gx, std::int32_t gy) const;
    MapCell* cellAt(std::int32_t gx, std::int32_t gy);

    std::int32_t m_gridWidth = 0;
    std::int32_t m_gridHeight = 0;
    std::int32_t m_fileWidth = 0;
    std::int32_t m_fileHeight = 0;
    // S x S, row-major by gy: cell (gx, gy) is element S * gy + gx. The block is kept between loads of
    // similar size, so loading the next map does not fault in fresh pages.
    std::unique_ptr<MapCell[]> m_cells;
    std::size_t m_cellCapacity = 0;
    std::uint64_t m_revision = 0;
};

// The one current map of the client, and the operations on it.
WorldMap& CurrentMap();
bool loadMapFile(const std::string& path);
void mapSize(std::int32_t& width, std::int32_t& height);
void fileToGrid(std::int32_t x, std::int32_t y, std::int32_t& gx, std::int32_t& gy);
void gridToFile(std::int32_t gx, std::int32_t gy, std::int32_t& x, std::int32_t& y);
std::uint16_t getFloor(std::int32_t gx, std::int32_t gy);
std::uint16_t getObject(std::int32_t gx, std::int32_t gy);
std::int32_t getWallLowY(std::int32_t gx, std::int32_t gy);
std::int32_t getWallLowX(std::int32_t gx, std::int32_t gy);
void setFloor(std::int32_t gx, std::int32_t gy, std::uint16_t value);
void setObject(std::int32_t gx, std::int32_t gy, std::uint16_t value);
void setWallLowY(std::int32_t gx, std::int32_t gy, std::uint8_t value);
void setWallLowX(std::int32_t gx, std::int32_t gy, std::uint8_t value);
