// For readers that take a path: the input is written to a file in the working directory first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

inline void WriteFuzzFile(const std::string& name, const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(name.c_str(), "wb");
    if (file == nullptr) {
        return;
    }
    if (size > 0) {
        std::fwrite(data, 1, size, file);
    }
    std::fclose(file);
}
