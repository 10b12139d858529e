// velm-tool spk FILE [N]: the shapes of an archive, and shape N's pixels.
// velm-tool map FILE [--cells]: a map's header values, grid side and stored cells.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "Commands.h"
#include "data/SpkArchive.h"
#include "data/WorldMap.h"

namespace {
// A whole non-negative decimal number, or -1.
long ParseIndex(const std::string& text) {
    if (text.empty() || text.size() > 9) {
        return -1;
    }
    for (char c : text) {
        if (c < '0' || c > '9') {
            return -1;
        }
    }
    return std::strtol(text.c_str(), nullptr, 10);
}
}  // namespace

int SpkCommand(const std::vector<std::string>& args) {
    if (args.empty() || args.size() > 2 || (args.size() == 2 && ParseIndex(args[1]) < 0)) {
        std::fprintf(stderr, "usage: velm-tool spk FILE [N]\n");
        return 2;
    }
    SpkArchive archive;
    if (!archive.load(args[0])) {
        return 1;
    }
    const long k = args.size() == 2 ? ParseIndex(args[1]) : -1;
    if (k >= archive.shapeCount()) {
        std::fprintf(stderr, "velm-tool: no shape %ld (the archive has %d)\n", k, archive.shapeCount());
        return 2;
    }
    std::printf("shapes: %d\n", archive.shapeCount());
    if (args.size() == 1) {
        for (int k = 0; k < archive.shapeCount(); ++k) {
            const SpkShape& shape = archive.shape(k);
            std::printf("%d: %dx%d key %d\n", k, shape.width(), shape.height(), shape.keyColor);
        }
        return 0;
    }
    const SpkShape& shape = archive.shape(static_cast<int>(k));
    std::printf("%ld: %dx%d key %d\n", k, shape.width(), shape.height(), shape.keyColor);
    for (int r = 0; r < shape.height(); ++r) {
        const std::uint8_t* row = shape.row(r);
        for (int c = 0; c < shape.width(); ++c) {
            std::printf(c == 0 ? "%d" : " %d", row[c]);
        }
        std::printf("\n");
    }
    return 0;
}

int MapCommand(const std::vector<std::string>& args) {
    const bool cells = args.size() == 2 && args[1] == "--cells";
    if (args.empty() || args.size() > 2 || (args.size() == 2 && !cells)) {
        std::fprintf(stderr, "usage: velm-tool map FILE [--cells]\n");
        return 2;
    }
    WorldMap map;
    if (!map.load(args[0])) {
        return 1;
    }
    const std::int32_t side = map.gridWidth();
    const std::int32_t width = map.fileWidth();
    const std::int32_t height = map.fileHeight();
    // The grid cells that a file cell is stored in.
    std::vector<bool> stored(static_cast<std::size_t>(side) * static_cast<std::size_t>(side));
    std::size_t count = 0;
    for (std::int32_t x = 0; x < width; ++x) {
        for (std::int32_t y = 0; y < height; ++y) {
            std::int32_t gx = 0;
            std::int32_t gy = 0;
            map.fileToGrid(x, y, gx, gy);
            if (gx >= 0 && gy >= 0 && gx < side && gy < side) {
                stored[static_cast<std::size_t>(gy) * side + gx] = true;
                ++count;
            }
        }
    }
    std::printf("width: %d\nheight: %d\ngrid: %d\nstored cells: %zu\n", width, height, side, count);
    if (cells) {
        for (std::int32_t gy = 0; gy < side; ++gy) {
            for (std::int32_t gx = 0; gx < side; ++gx) {
                if (stored[static_cast<std::size_t>(gy) * side + gx]) {
                    std::printf("%d %d %u %u %d %d\n", gx, gy, map.getFloor(gx, gy), map.getObject(gx, gy),
                                map.getWallLowX(gx, gy), map.getWallLowY(gx, gy));
                }
            }
        }
    }
    return 0;
}
