#include "options/update_checker.hpp"
#include "platform/app_paths.hpp"
#include "platform/whole_file.hpp"

#include "shell/dictionary_installer.hpp"

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

std::string hostOf(std::string_view address) {
    const size_t scheme = address.find("://");
    const size_t start = scheme == std::string_view::npos ? 0 : scheme + 3;
    return std::string(address.substr(start, serverEnd(address) - start));
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
    addresses.archive = shell::dictionaryUrl();
    addresses.siteName = hostOf(addresses.archive);
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
    checkProgram();
    checkDictionary();
}

void UpdateChecker::checkProgram() {
    view_.setLine(UpdateGroup::Program, 1, "Installed version: " + installed_);
    const std::optional<std::string> page = http_.get(addresses_.versionPage);
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

void UpdateChecker::checkDictionary() {
    const std::string installedDate = fileDate(platform::AppPaths(dir_).dictionaryFile());
    view_.setLine(UpdateGroup::Dictionary, 1,
                  "Installed version: " +
                      (installedDate.empty()
                           ? std::string("Sorry, I could not determine the version currently "
                                         "installed on this computer.")
                           : installedDate));
    archiveDate_ = http_.lastModifiedDate(addresses_.archive);
    if (archiveDate_.empty()) {
        dictionaryLine(kCouldNotConnect);
        return;
    }
    view_.setLine(UpdateGroup::Dictionary, 2, "Newest version:  " + archiveDate_);
    if (archiveDate_ != installedDate) {
        dictionaryLine("A new version of CEDICT is available on " + addresses_.siteName);
        view_.setDownloadEnabled(true);
    } else {
        dictionaryLine(kDictionaryUpToDate);
    }
}

void UpdateChecker::update() {
    dictionaryLine("Downloading CEDICT file. Please wait a minute...");
    const std::optional<std::string> body = http_.get(addresses_.archive);
    if (!body || body->size() < kMinimumArchive) {
        dictionaryLine("Sorry, could not update -- Error downloading");
        return;
    }
    // Installed, the new dictionary goes to the user's folder and takes
    // precedence over the shipped one from then on.
    const platform::AppPaths paths(dir_);
    const std::filesystem::path data = paths.userDirectory();
    const std::filesystem::path unzipMarker = data / kUnzipMarker.filename();
    paths.ensureUserDirectory();
    std::error_code ec;
    if (!writeWholeFile(data / kArchiveName, *body) ||
        !std::filesystem::exists(data / kArchiveName, ec)) {
        dictionaryLine("Sorry, could not update -- Error saving file.");
        return;
    }

    dictionaryLine("Unzipping CEDICT file. Please wait a minute...");
    // A marker left by an earlier run would make a failed unzip look good.
    std::filesystem::remove(unzipMarker, ec);
    // The unzip program works on the archive in its current directory.
    system_.runAndWait(paths.shippedFile("ploskar"), data);
    if (!std::filesystem::exists(unzipMarker, ec)) {
        dictionaryLine("Sorry, could not update -- Error while unzipping.");
        return;
    }
    std::filesystem::remove(unzipMarker, ec);
    system_.pause(200);
    dictionaryLine("Rebuilding the dictionary index. Please wait a minute...");

    const bool messenger = system_.sendToPopupMessenger(kMessageIndexing);
    system_.runAndWait(paths.shippedFile("zarnith"), data);
    // The new file carries the archive's date, so that the next check finds
    // the two equal.
    if (!archiveDate_.empty()) setFileDate(paths.dictionaryFile(), archiveDate_);
    dictionaryLine(kDictionaryUpToDate);
    view_.setDownloadEnabled(false);
    if (messenger) system_.sendToPopupMessenger(kMessageIndexed);
}

}  // namespace tulvo::options
