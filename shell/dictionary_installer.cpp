#include "shell/dictionary_installer.hpp"

#include <cstdlib>
#include <string_view>

#include "platform/app_paths.hpp"
#include "platform/whole_file.hpp"

#ifndef TULVO_DEFAULT_DICTIONARY_URL
#define TULVO_DEFAULT_DICTIONARY_URL ""
#endif

namespace tulvo::shell {
namespace {

const char* const kCaption = "CEDICT dictionary file";

void reportFailure(InstallerHost& host, const std::string& domain, const std::string& reason) {
    host.information(kCaption, "I am sorry, " + reason + "\n\nYou should download it from " +
                                   domain + " and save 'cedict_ts.u8' to the 'data' directory.");
    host.hideProgress();
}

}  // namespace

std::string dictionaryUrl() {
    std::string url = TULVO_DEFAULT_DICTIONARY_URL;
    if (const char* value = std::getenv("TULVO_DICTIONARY_URL"); value && *value) url = value;
    // A bare server address gets the archive's path on that server.
    const size_t scheme = url.find("://");
    const size_t slash = url.find('/', scheme == std::string::npos ? 0 : scheme + 3);
    if (slash == std::string::npos || slash + 1 == url.size())
        url = url.substr(0, slash) + "/chindict/export/cedict/" + kArchiveName;
    return url;
}

std::string domainOf(const std::string& url) {
    std::string_view rest = url;
    if (const size_t scheme = rest.find("://"); scheme != std::string_view::npos)
        rest.remove_prefix(scheme + 3);
    rest = rest.substr(0, rest.find_first_of("/?#"));
    if (const size_t at = rest.rfind('@'); at != std::string_view::npos) rest.remove_prefix(at + 1);
    if (!rest.starts_with('[')) rest = rest.substr(0, rest.find(':'));
    return std::string(rest);
}

std::string progressText(const std::string& stageLine, const std::string& waitLine) {
    return "\n" + stageLine + "\n\n" + waitLine;
}

InstallOutcome installDictionaryIfMissing(const std::filesystem::path& programDirectory,
                                          const std::string& url, InstallerHost& host) {
    // Installed, the download goes to the user's folder, and its copy then
    // takes precedence over the shipped one.
    const platform::AppPaths paths(programDirectory);
    const std::filesystem::path data = paths.userDirectory();
    const std::filesystem::path dictionary = paths.dictionaryFile();
    std::error_code ec;
    if (std::filesystem::is_regular_file(dictionary, ec) &&
        std::filesystem::file_size(dictionary, ec) > 0)
        return InstallOutcome::Present;

    const std::string domain = domainOf(url);
    if (!host.askYesNo("Dictionary file not found",
                       "In order to work, Tulvo needs the CEDICT dictionary file.\n\n"
                       "If you are connected to internet, do you want to try\n"
                       "and download it automatically?\n")) {
        reportFailure(host, domain, "Tulvo cannot run without the CEDICT dictionary file.");
        return InstallOutcome::Declined;
    }

    host.showProgress(
        progressText("Downloading file from " + domain, "Please wait a moment . . ."));
    const std::vector<uint8_t> body = url.empty() ? std::vector<uint8_t>() : host.download(url);
    if (body.size() < kMinimumDownload) {
        host.hideProgress();
        reportFailure(host, domain, "I could not connect to the CEDICT dictionary file.");
        return InstallOutcome::DownloadFailed;
    }

    const std::filesystem::path archive = data / kArchiveName;
    paths.ensureUserDirectory();
    const bool saved = writeWholeFile(
        archive, std::string_view(reinterpret_cast<const char*>(body.data()), body.size()));
    if (!saved || !std::filesystem::exists(archive, ec)) {
        host.hideProgress();
        reportFailure(host, domain, "an error occurred while saving the data.");
        return InstallOutcome::SaveFailed;
    }

    host.showProgress(progressText("Unzipping the CEDICT file.", "Please wait a minute . . ."));
    // Only this run's unzip may leave the marker: a stale one from an earlier
    // run would make a failed unzip look successful.
    const std::filesystem::path marker = data / kUnzipMarker;
    std::filesystem::remove(marker, ec);
    host.runProgram(paths.shippedFile("ploskar"), data);
    if (!std::filesystem::exists(marker, ec)) {
        host.hideProgress();
        reportFailure(host, domain, "an error occurred while unzipping the data.");
        return InstallOutcome::UnzipFailed;
    }

    std::filesystem::remove(marker, ec);
    host.pause(200);
    host.showProgress(
        progressText("Rebuilding the dictionary index.", "Please wait a minute . . ."));
    const bool popupFound = host.sendToPopupMessenger(kMessageIndexRebuilding).has_value();
    host.runProgram(paths.shippedFile("zarnith"), data);
    host.hideProgress();
    host.processPendingMessages();
    host.information(kCaption, "The CEDICT dictionary file has been installed successfully.");
    if (popupFound) host.sendToPopupMessenger(kMessageIndexRebuilt);
    return InstallOutcome::Installed;
}

}  // namespace tulvo::shell
