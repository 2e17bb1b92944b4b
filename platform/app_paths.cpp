#include "platform/app_paths.hpp"

#include <cstdlib>
#include <system_error>

namespace tulvo::platform {

namespace fs = std::filesystem;

AppPaths::AppPaths(fs::path programDirectory) : program_(std::move(programDirectory)) {
    std::error_code ec;
    installed_ = fs::is_regular_file(program_ / "data" / fs::path(kInstalledLayoutMarker), ec);
    user_ = installed_ ? xdgUserDirectory() : program_ / "data";
}

fs::path AppPaths::shippedFile(std::string_view name) const {
    return program_ / "data" / fs::path(name);
}

fs::path AppPaths::userFile(std::string_view name) const {
    return user_ / fs::path(name);
}

fs::path AppPaths::topLevelUserFile(std::string_view name) const {
    return installed_ ? userFile(name) : program_ / fs::path(name);
}

fs::path AppPaths::replaceableFile(std::string_view name) const {
    const fs::path shipped = shippedFile(name);
    if (!installed_) return shipped;
    const fs::path own = userFile(name);
    std::error_code ec;
    if (fs::is_regular_file(own, ec) && fs::file_size(own, ec) > 0) return own;
    return fs::exists(shipped, ec) ? shipped : own;
}

bool AppPaths::ensureUserDirectory() const {
    std::error_code ec;
    if (fs::is_directory(user_, ec)) return true;
    if (!fs::create_directories(user_, ec) && !fs::is_directory(user_, ec)) return false;
    if (installed_) fs::permissions(user_, fs::perms::owner_all, fs::perm_options::replace, ec);
    return true;
}

fs::path programDirectoryOfExecutable(int levelsUp) {
    std::error_code ec;
    fs::path folder = fs::read_symlink("/proc/self/exe", ec).parent_path();
    if (ec || folder.empty()) return {};
    for (int i = 0; i < levelsUp; ++i) folder = folder.parent_path();
    return folder;
}

fs::path xdgUserDirectory() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg != nullptr && fs::path(xdg).is_absolute()) return fs::path(xdg) / "tulvo";
    const char* home = std::getenv("HOME");
    const fs::path base = home != nullptr && *home != '\0' ? fs::path(home) : fs::path("/");
    return base / ".local" / "share" / "tulvo";
}

}  // namespace tulvo::platform
