// The shapes of the largest volume the benchmarks read: 65,535 files, few folders or 6,000.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace velmora {

inline constexpr int kEntries = 65535;

// What lies on the volume: files directly in /a (the folder view's rows) and how the rest is
// spread over folders.
struct VolumeShape {
    const char* name;
    int rootFiles;
    int topFolders;
    int subfoldersEach;  // below each top folder; 0 puts the files in the top folders
};

// /a holds 32,768 files and the rest in 128 folders of 256, so that both the tree and the
// folder view have work.
inline constexpr VolumeShape kFlatShape{"velmora_bench_65535", 32768, 128, 0};
// A full card: 24 folders with 249 subfolders each, 6,000 folders in all, holding every file
// but 535 directly in /a.
inline constexpr VolumeShape kFoldersShape{"velmora_bench_65535_6000", 535, 24, 249};

inline int FolderCount(const VolumeShape& shape) {
    return shape.topFolders * (1 + shape.subfoldersEach);
}

// The folder of file n, relative to the volume; empty for the volume itself. Files go round
// the folders, so that every folder holds some.
inline std::string FolderOf(const VolumeShape& shape, int n) {
    if (n < shape.rootFiles) return {};
    const int folder = (n - shape.rootFiles) % FolderCount(shape);
    char name[32];
    if (shape.subfoldersEach == 0) {
        std::snprintf(name, sizeof name, "f%03d", folder);
        return name;
    }
    const int top = folder / (1 + shape.subfoldersEach);
    const int sub = folder % (1 + shape.subfoldersEach);
    if (sub == 0) {
        std::snprintf(name, sizeof name, "d%02d", top);
    } else {
        std::snprintf(name, sizeof name, "d%02d/s%03d", top, sub);
    }
    return name;
}

inline std::string FileName(int n) {
    static const char* const kTypes[] = {"jpg", "mid", "txt", "gif", "jar", "mp3", "bmp", "wav"};
    char name[32];
    std::snprintf(name, sizeof name, "file%05d.%s", n, kTypes[n % 8]);
    return name;
}

// The phone image of shape, made once in the temporary folder and kept for later runs.
inline std::filesystem::path PhoneImage(const VolumeShape& shape) {
    namespace fs = std::filesystem;
    const fs::path image = fs::temp_directory_path() / shape.name;
    const fs::path done = image / "complete";
    if (fs::exists(done)) return image;
    fs::remove_all(image);
    const fs::path volume = image / "a";
    fs::create_directories(volume);
    for (int folder = 0; folder < FolderCount(shape); ++folder) {
        fs::create_directories(volume / FolderOf(shape, shape.rootFiles + folder));
    }
    for (int n = 0; n < kEntries; ++n)
        std::ofstream(volume / FolderOf(shape, n) / FileName(n)).flush();
    std::ofstream(done).flush();
    return image;
}

}  // namespace velmora
