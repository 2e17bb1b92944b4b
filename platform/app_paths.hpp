// Where a program finds its shipped files and where it keeps the files it
// writes. In the build tree (and any copy of it) both are the program
// directory's data/ folder. An installed program directory holds the marker
// file data/installed-layout, written by the install step: its programs then
// read shipped files from the installation and write every user file under
// $XDG_DATA_HOME/tulvo (default ~/.local/share/tulvo), never into the
// installation. Every program and tool asks here; no one else decides.
#pragma once

#include <filesystem>
#include <string_view>

namespace tulvo::platform {

inline constexpr std::string_view kInstalledLayoutMarker = "installed-layout";
// The dictionary: shipped, and replaced by a download into the user folder.
inline constexpr std::string_view kDictionaryFileName = "CEDICT_ts.u8";

class AppPaths {
  public:
    // The layout of `programDirectory` (the folder holding Tulvo and data/).
    explicit AppPaths(std::filesystem::path programDirectory);

    const std::filesystem::path& programDirectory() const { return program_; }
    bool installed() const { return installed_; }

    // A file shipped with the program: programDirectory/data/name.
    std::filesystem::path shippedFile(std::string_view name) const;
    // The folder of the files the programs write (data/ in the build tree,
    // the XDG folder when installed). Not created here.
    const std::filesystem::path& userDirectory() const { return user_; }
    // A file the programs write: userDirectory/name.
    std::filesystem::path userFile(std::string_view name) const;
    // A file the programs write that the build tree keeps in the program
    // directory itself rather than in data/ (clipboard.tmp, debug.txt);
    // installed, it lives in userDirectory like every other user file.
    std::filesystem::path topLevelUserFile(std::string_view name) const;
    // A shipped file that the user may replace with a newer copy of their
    // own (the dictionary): installed, the user's copy when it exists and is
    // not empty, else the shipped file, else the user's path (where a
    // download goes). In the build tree the one file in data/.
    std::filesystem::path replaceableFile(std::string_view name) const;
    // The dictionary the programs search.
    std::filesystem::path dictionaryFile() const { return replaceableFile(kDictionaryFileName); }
    // Creates userDirectory (owner-only access when it is the XDG folder);
    // false when it cannot be made.
    bool ensureUserDirectory() const;

  private:
    std::filesystem::path program_;
    std::filesystem::path user_;
    bool installed_ = false;
};

// The program directory of the running program, found from its own
// executable (never from the current directory): the executable's folder,
// or the folder `levelsUp` levels above it (1 for the programs kept in
// data/). Empty when the executable cannot be found.
std::filesystem::path programDirectoryOfExecutable(int levelsUp = 0);

// The XDG user-data folder of Tulvo: $XDG_DATA_HOME/tulvo when that variable
// holds an absolute path, else $HOME/.local/share/tulvo.
std::filesystem::path xdgUserDirectory();

}  // namespace tulvo::platform
