// Character, bit, file, path and word-list helpers.
#include "runtime/Utilities.h"

#include <cstdio>

#include "platform/NativePath.h"
#include "runtime/LogFile.h"

bool IsLetter(int c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsPrintable(int c) {
    return c >= 32 && c <= 126;
}

long GetFileSize(const std::string& path) {
    std::FILE* file = OpenFile(path, "rb");
    if (file == nullptr) {
        return 0;
    }
    long size = 0;
    if (std::fseek(file, 0, SEEK_END) == 0) {
        size = std::ftell(file);
    }
    std::fclose(file);
    return size < 0 ? 0 : size;
}

int CountBits(std::uint32_t x) {
    return __builtin_popcount(x);
}

int HighestBit(std::uint32_t x) {
    return x == 0 ? -1 : 31 - __builtin_clz(x);
}

void CreateFoldersOfPath(const std::string& path) {
    for (size_t i = path.find('\\'); i != std::string::npos; i = path.find('\\', i + 1)) {
        if (i > 0) {
            MakeFolder(path.substr(0, i));
        }
    }
}

std::string DirectoryOf(const std::string& path) {
    const size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string ExtensionOf(const std::string& name) {
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

void SplitWords(const std::string& text, const std::string& delimiters, std::vector<std::string>& words) {
    words.clear();
    std::string word;
    for (char c : text) {
        if (delimiters.find(c) == std::string::npos) {
            word += c;
        } else if (!word.empty()) {
            words.push_back(word);
            word.clear();
        }
    }
}

void LoadStringList(std::vector<std::string>& list, const std::string& path) {
    std::FILE* file = OpenFile(path, "r");
    if (file == nullptr) {
        errorLog.Write("Failed to open string list: " + path + "\n");
        return;
    }
    std::string word;
    for (int c = std::fgetc(file);; c = std::fgetc(file)) {
        if (c == EOF || c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f') {
            if (!word.empty()) {
                list.push_back(word);
                word.clear();
            }
            if (c == EOF) {
                break;
            }
        } else {
            word += static_cast<char>(c);
        }
    }
    std::fclose(file);
}

std::string GetUserDataFolder(const std::string& name) {
    const std::string documents = DocumentsFolder();
    if (documents.empty() || !MakeFolder(documents)) {
        errorLog.Write("Unable to retrieve user's home diretory.  Resorting to game dir.\n");
        MakeFolder("userdata");
        return "userdata\\";
    }
    const std::string folder = documents + "/" + name;
    MakeFolder(folder);
    return folder;
}
