#include "options/update_checker.hpp"

#include "platform/app_paths.hpp"
#include "platform/run_program.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace tulvo::options {
namespace {

#ifndef TULVO_DEFAULT_WEBSITE
#define TULVO_DEFAULT_WEBSITE "https://tulvo.example"
#endif

constexpr const char* kCouldNotConnect = "Sorry, I could not connect to the server.";
constexpr const char* kDictionaryUpToDate = "Your version of CEDICT is up to date.";

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

// Where the server part of an address ends.
size_t serverEnd(std::string_view address) {
    const size_t scheme = address.find("://");
    const size_t hostStart = scheme == std::string_view::npos ? 0 : scheme + 3;
    const size_t slash = address.find('/', hostStart);
    return slash == std::string_view::npos ? address.size() : slash;
}

// Dates the file to noon (universal time) of a "yyyy-MM-dd" date.
void setFileDate(const std::filesystem::path& file, const std::string& date) {
    std::tm utc{};
    if (std::sscanf(date.c_str(), "%4d-%2d-%2d", &utc.tm_year, &utc.tm_mon, &utc.tm_mday) != 3)
        return;
    if (utc.tm_mon < 1 || utc.tm_mon > 12 || utc.tm_mday < 1 || utc.tm_mday > 31) return;
    utc.tm_year -= 1900;
    utc.tm_mon -= 1;
    utc.tm_hour = 12;
    const time_t seconds = timegm(&utc);
    const struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ::utimensat(AT_FDCWD, file.c_str(), times, 0);
}

}  // namespace

void UpdateSystem::runAndWait(const std::filesystem::path& program,
                              const std::filesystem::path& workingDirectory) {
    runProgramAndWait(program, workingDirectory);
}

std::string addressWithPath(std::string_view value, std::string_view path) {
    const size_t end = serverEnd(value);
    if (end + 1 < value.size()) return std::string(value);  // a path of its own
    return std::string(value.substr(0, end)) + std::string(path);
}

UpdateAddresses updateAddresses() {
    UpdateAddresses addresses;
    std::string version = environment("TULVO_VERSION_URL");
    if (version.empty()) version = TULVO_DEFAULT_WEBSITE;
    addresses.versionPage = addressWithPath(version, kVersionPagePath);
    // The same archive address as the main program's dictionary installation.
    addresses.archive = updates::dictionaryUrl();
    addresses.siteName = updates::hostOf(addresses.archive);
    addresses.website = environment("TULVO_WEBSITE_URL");
    if (addresses.website.empty())
        addresses.website = std::string(std::string_view(version).substr(0, serverEnd(version)));
    return addresses;
}

std::optional<std::string> newestVersion(std::string_view page) {
    const size_t marker = page.find(kVersionMarker);
    if (marker == std::string_view::npos) return std::nullopt;
    std::string_view s = page.substr(marker + kVersionMarker.size());
    // Web pages end their lines with LF as often as with CR LF.
    s = s.substr(0, s.find_first_of("\r\n"));
    s = s.substr(0, s.find('<'));
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    std::string version(s);
    if (!version.starts_with("version ")) version = "version " + version;
    return version;
}

std::string fileDate(const std::filesystem::path& file) {
    struct stat st;
    if (::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
    std::tm utc{};
    const time_t seconds = st.st_mtim.tv_sec;
    if (!gmtime_r(&seconds, &utc)) return {};
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &utc);
    return text;
}

UpdateChecker::UpdateChecker(std::filesystem::path programDirectory, std::string installedVersion,
                             UpdateAddresses addresses, UpdateHttp& http, UpdateView& view,
                             UpdateSystem& system)
    : dir_(std::move(programDirectory)),
      installed_(std::move(installedVersion)),
      addresses_(std::move(addresses)),
      http_(http),
      view_(view),
      system_(system) {}

void UpdateChecker::check() {
    // Both transfers at once: a network that stalls costs one stall time.
    view_.setLine(UpdateGroup::Program, 1, "Installed version: " + installed_);
    showInstalledDictionary();
    auto [page, date] = http_.getAndLastModified(addresses_.versionPage, addresses_.archive);
    showProgram(page);
    showDictionary(std::move(date));
}

void UpdateChecker::checkProgram() {
    view_.setLine(UpdateGroup::Program, 1, "Installed version: " + installed_);
    showProgram(http_.get(addresses_.versionPage));
}

void UpdateChecker::checkDictionary() {
    showInstalledDictionary();
    showDictionary(http_.lastModifiedDate(addresses_.archive));
}

void UpdateChecker::showInstalledDictionary() {
    installedDate_ = fileDate(platform::AppPaths(dir_).dictionaryFile());
    view_.setLine(UpdateGroup::Dictionary, 1,
                  "Installed version: " +
                      (installedDate_.empty()
                           ? std::string("Sorry, I could not determine the version currently "
                                         "installed on this computer.")
                           : installedDate_));
}

void UpdateChecker::showProgram(const std::optional<std::string>& page) {
    const std::optional<std::string> newest = page ? newestVersion(*page) : std::nullopt;
    if (!newest) {
        view_.setLine(UpdateGroup::Program, 3, kCouldNotConnect);
        return;
    }
    view_.setLine(UpdateGroup::Program, 2, "Newest version:  " + *newest);
    view_.setLine(UpdateGroup::Program, 3,
                  *newest != installed_ ? "A new version of Tulvo is available."
                                        : "Your version of Tulvo is up to date.");
}

void UpdateChecker::showDictionary(std::string archiveDate) {
    archiveDate_ = std::move(archiveDate);
    if (archiveDate_.empty()) {
        dictionaryLine(kCouldNotConnect);
        return;
    }
    view_.setLine(UpdateGroup::Dictionary, 2, "Newest version:  " + archiveDate_);
    if (archiveDate_ != installedDate_) {
        dictionaryLine("A new version of CEDICT is available on " + addresses_.siteName);
        view_.setDownloadEnabled(true);
    } else {
        dictionaryLine(kDictionaryUpToDate);
    }
}

void UpdateChecker::update() {
    // The shared update, shown on the dictionary group's third line.
    class Progress : public updates::UpdateHost {
      public:
        explicit Progress(UpdateChecker& checker) : checker_(checker) {}
        void stage(updates::Stage stage) override {
            checker_.dictionaryLine(
                stage == updates::Stage::Downloading
                    ? "Downloading CEDICT file. Please wait a minute..."
                : stage == updates::Stage::Unzipping
                    ? "Unzipping CEDICT file. Please wait a minute..."
                    : "Rebuilding the dictionary index. Please wait a minute...");
        }
        std::optional<std::string> download(const std::string& url) override {
            return checker_.http_.get(url);
        }
        void runAndWait(const std::filesystem::path& program,
                        const std::filesystem::path& directory) override {
            checker_.system_.runAndWait(program, directory);
        }
        std::optional<int64_t> sendToPopupMessenger(uint32_t message) override {
            if (!checker_.system_.sendToPopupMessenger(message)) return std::nullopt;
            return 0;
        }
        void pause(int milliseconds) override { checker_.system_.pause(milliseconds); }
        void indexed() override {
            // The new file carries the archive's date, so that the next check
            // finds the two equal.
            const std::filesystem::path dictionary =
                platform::AppPaths(checker_.dir_).dictionaryFile();
            if (!checker_.archiveDate_.empty()) setFileDate(dictionary, checker_.archiveDate_);
            checker_.dictionaryLine(kDictionaryUpToDate);
            checker_.view_.setDownloadEnabled(false);
        }

      private:
        UpdateChecker& checker_;
    } progress(*this);

    // Installed, the new dictionary goes to the user's folder and takes
    // precedence over the shipped one from then on.
    const platform::AppPaths paths(dir_);
    paths.ensureUserDirectory();
    switch (updates::downloadAndInstall(paths.userDirectory(), addresses_.archive, progress,
                                        dir_ / "data")) {
        case updates::UpdateResult::Installed:
            break;
        case updates::UpdateResult::DownloadFailed:
            dictionaryLine("Sorry, could not update -- Error downloading");
            break;
        case updates::UpdateResult::SaveFailed:
            dictionaryLine("Sorry, could not update -- Error saving file.");
            break;
        case updates::UpdateResult::UnzipFailed:
            dictionaryLine("Sorry, could not update -- Error while unzipping.");
            break;
    }
}

}  // namespace tulvo::options
