// SPK archives of any bytes: every shape the reader keeps must hold exactly its rows' bytes.
#include <cassert>

#include "data/SpkArchive.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    SpkArchive archive;
    archive.loadBytes(data, size);
    unsigned sum = 0;
    for (int k = 0; k < archive.shapeCount(); ++k) {
        const SpkShape& shape = archive.shape(k);
        assert(shape.width() >= 0 && shape.width() <= 255 && shape.height() >= 0 && shape.height() <= 255);
        for (int r = 0; r < shape.height(); ++r) {
            const std::uint8_t* row = shape.row(r);
            for (int c = 0; c < shape.width(); ++c) {
                sum += row[c];
            }
        }
        if (shape.width() > 0 && shape.height() > 0) {
            assert(shape.keyColor == shape.row(0)[0]);
        }
    }
    (void)sum;
    return 0;
}
