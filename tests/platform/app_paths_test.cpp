#include "platform/app_paths.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace fs = std::filesystem;
using tulvo::platform::AppPaths;

namespace {

struct EnvGuard {
    explicit EnvGuard(const char* name) : name_(name) {
        if (const char* v = std::getenv(name)) saved_ = v, had_ = true;
    }
    ~EnvGuard() { had_ ? setenv(name_, saved_.c_str(), 1) : unsetenv(name_); }
    const char* name_;
    std::string saved_;
    bool had_ = false;
};

}  // namespace

TEST(AppPaths, BuildTreeKeepsUserFilesInDataAndInstalledUsesXdg) {
    EnvGuard home("HOME"), xdg("XDG_DATA_HOME");
    const fs::path root = fs::temp_directory_path() / ("tulvo-paths-" + std::to_string(getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "app" / "data");
    setenv("HOME", (root / "home").c_str(), 1);
    unsetenv("XDG_DATA_HOME");

    const AppPaths tree(root / "app");
    EXPECT_FALSE(tree.installed());
    EXPECT_EQ(tree.userFile("favorites.dat"), root / "app" / "data" / "favorites.dat");
    EXPECT_EQ(tree.shippedFile("freq.dat"), root / "app" / "data" / "freq.dat");

    std::ofstream(root / "app" / "data" / "installed-layout") << "";
    const AppPaths installed(root / "app");
    EXPECT_TRUE(installed.installed());
    EXPECT_EQ(installed.userFile("options.txt"),
              root / "home" / ".local" / "share" / "tulvo" / "options.txt");
    EXPECT_EQ(installed.shippedFile("freq.dat"), root / "app" / "data" / "freq.dat");
    ASSERT_TRUE(installed.ensureUserDirectory());
    EXPECT_EQ(fs::status(installed.userDirectory()).permissions() & fs::perms::all,
              fs::perms::owner_all);

    // A relative XDG_DATA_HOME is ignored, as the XDG rules say.
    setenv("XDG_DATA_HOME", "relative/path", 1);
    EXPECT_EQ(AppPaths(root / "app").userDirectory(), root / "home" / ".local" / "share" / "tulvo");
    setenv("XDG_DATA_HOME", (root / "xdg").c_str(), 1);
    EXPECT_EQ(AppPaths(root / "app").userDirectory(), root / "xdg" / "tulvo");
    fs::remove_all(root);
}

TEST(AppPaths, UsersDictionaryReplacesTheShippedOneOnlyWhenInstalledAndNotEmpty) {
    EnvGuard home("HOME"), xdg("XDG_DATA_HOME");
    const fs::path root = fs::temp_directory_path() / ("tulvo-replace-" + std::to_string(getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "app" / "data");
    setenv("XDG_DATA_HOME", (root / "xdg").c_str(), 1);
    const fs::path shipped = root / "app" / "data" / "CEDICT_ts.u8";
    const fs::path own = root / "xdg" / "tulvo" / "CEDICT_ts.u8";

    // The build tree has one dictionary, in data/, and top-level user files
    // stay beside the programs.
    EXPECT_EQ(AppPaths(root / "app").dictionaryFile(), shipped);
    EXPECT_EQ(AppPaths(root / "app").topLevelUserFile("clipboard.tmp"),
              root / "app" / "clipboard.tmp");

    std::ofstream(root / "app" / "data" / "installed-layout") << "";
    const AppPaths installed(root / "app");
    EXPECT_EQ(installed.topLevelUserFile("clipboard.tmp"),
              root / "xdg" / "tulvo" / "clipboard.tmp");
    // Nothing shipped and nothing downloaded: the download's destination.
    EXPECT_EQ(installed.dictionaryFile(), own);
    std::ofstream(shipped) << "shipped";
    EXPECT_EQ(installed.dictionaryFile(), shipped);
    // An empty file (a download cut short) does not hide the shipped one.
    ASSERT_TRUE(installed.ensureUserDirectory());
    std::ofstream(own) << "";
    EXPECT_EQ(installed.dictionaryFile(), shipped);
    std::ofstream(own) << "downloaded";
    EXPECT_EQ(installed.dictionaryFile(), own);
    fs::remove_all(root);
}
