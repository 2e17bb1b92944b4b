// Shared by the fuzz targets: a scratch folder per process for the files the
// readers open, and a check that stops the run (as a finding) when a
// property of the result does not hold.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#define FUZZ_CHECK(condition)                                                                     \
    do {                                                                                          \
        if (!(condition)) {                                                                       \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                         \
        }                                                                                         \
    } while (0)

namespace tulvo::fuzz {

// A folder of this process under the temporary folder, removed at exit.
inline const std::filesystem::path& scratch() {
    static const std::filesystem::path dir = [] {
        std::string name = (std::filesystem::temp_directory_path() / "tulvo-fuzz-XXXXXX").string();
        if (!::mkdtemp(name.data())) std::abort();
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(scratch(), ec);
        });
        return std::filesystem::path(name);
    }();
    return dir;
}

// Writes the input where the reader expects its file; returns the path.
inline std::filesystem::path writeFile(const std::filesystem::path& path, std::string_view bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    out.close();
    if (!out) std::abort();
    return path;
}

inline std::filesystem::path writeInput(const std::string& name, const uint8_t* data, size_t size) {
    return writeFile(scratch() / name, std::string_view(reinterpret_cast<const char*>(data), size));
}

// The input as bytes.
inline std::string_view bytesOf(const uint8_t* data, size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// UTF-16 without a lone surrogate.
inline bool validUtf16(std::u16string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (i + 1 >= text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) return false;
            ++i;
        } else if (u >= 0xDC00 && u <= 0xDFFF) {
            return false;
        }
    }
    return true;
}

}  // namespace tulvo::fuzz
