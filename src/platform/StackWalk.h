// Walks the calling thread's stack and resolves code addresses to module, function, source file and line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ResolvedFrame {
    bool hasModule = false;
    std::string module;  // file name of the executable or shared library, without folders
    bool hasLine = false;
    std::string sourceFile;
    int line = 0;
    bool hasSymbol = false;
    std::string symbol;  // demangled function name
};

// Prepares symbol lookup for the modules of the process. False when symbols cannot be had.
bool StartSymbolLookup();

// Code addresses of the calling thread's frames, innermost (the caller of CaptureStack) first, each
// moved back into its call instruction. skip drops that many innermost frames.
std::vector<std::uintptr_t> CaptureStack(int skip, int maxFrames);

// Module, line and symbol of one address. Cached: an address is resolved once per process.
ResolvedFrame ResolveAddress(std::uintptr_t address);
