// Map files of any bytes: the load must stay inside the bytes and the grid, and what it reports must fit.
#include <cassert>

#include "data/WorldMap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    WorldMap map;
    if (map.loadBytes(data, size, "fuzz.map")) {
        const std::int32_t side = map.gridWidth();
        assert(side >= 1 && side <= kMaxMapGridSide && side == map.gridHeight());
        assert(side == map.fileWidth() + map.fileHeight());
        for (std::int32_t x = 0; x < map.fileWidth(); x += 7) {
            for (std::int32_t y = 0; y < map.fileHeight(); y += 5) {
                std::int32_t gx = 0;
                std::int32_t gy = 0;
                map.fileToGrid(x, y, gx, gy);
                std::int32_t bx = 0;
                std::int32_t by = 0;
                map.gridToFile(gx, gy, bx, by);
                assert(bx == x && by == y);
                (void)map.getFloor(gx, gy);
            }
        }
    } else {
        assert(map.gridWidth() == 0);
    }
    return 0;
}
