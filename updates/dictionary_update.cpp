#include "updates/dictionary_update.hpp"

#include <cstdlib>

#include "platform/run_program.hpp"
#include "platform/whole_file.hpp"

#ifndef TULVO_DEFAULT_DICTIONARY_URL
#define TULVO_DEFAULT_DICTIONARY_URL ""
#endif

namespace tulvo::updates {
namespace {

// The host part with its port, and what follows it.
std::string_view authorityOf(std::string_view address) {
    if (const size_t scheme = address.find("://"); scheme != std::string_view::npos)
        address.remove_prefix(scheme + 3);
    return address.substr(0, address.find_first_of("/?#"));
}

}  // namespace

std::string dictionaryUrl() {
    std::string url = TULVO_DEFAULT_DICTIONARY_URL;
    if (const char* value = std::getenv("TULVO_DICTIONARY_URL"); value && *value) url = value;
    // A bare server address gets the archive's path on that server.
    const size_t scheme = url.find("://");
    const size_t slash = url.find('/', scheme == std::string::npos ? 0 : scheme + 3);
    if (slash == std::string::npos || slash + 1 == url.size())
        url = url.substr(0, slash) + std::string(kArchivePath);
    return url;
}

std::string hostOf(std::string_view address) {
    return std::string(authorityOf(address));
}

std::string domainOf(std::string_view address) {
    std::string_view rest = authorityOf(address);
    if (const size_t at = rest.rfind('@'); at != std::string_view::npos) rest.remove_prefix(at + 1);
    if (!rest.starts_with('[')) rest = rest.substr(0, rest.find(':'));
    return std::string(rest);
}

void UpdateHost::runAndWait(const std::filesystem::path& program,
                            const std::filesystem::path& directory) {
    runProgramAndWait(program, directory);
}

UpdateResult downloadAndInstall(const std::filesystem::path& data, const std::string& url,
                                UpdateHost& host, const std::filesystem::path& programsDirectory) {
    const std::filesystem::path& programs = programsDirectory.empty() ? data : programsDirectory;
    host.stage(Stage::Downloading);
    const std::optional<std::string> body = url.empty() ? std::nullopt : host.download(url);
    if (!body || body->size() < kMinimumArchive) return UpdateResult::DownloadFailed;

    const std::filesystem::path archive = data / kArchiveName;
    std::error_code ec;
    std::filesystem::create_directories(data, ec);
    if (!writeWholeFile(archive, *body) || !std::filesystem::exists(archive, ec))
        return UpdateResult::SaveFailed;

    host.stage(Stage::Unzipping);
    // Only this run's unzip may leave the marker: a stale one from an earlier
    // run would make a failed unzip look successful. The unzip program keeps
    // the dictionary in place unless it wrote a new one.
    const std::filesystem::path marker = data / kUnzipMarker;
    std::filesystem::remove(marker, ec);
    host.runAndWait(programs / kUnzipProgram, data);
    if (!std::filesystem::exists(marker, ec)) return UpdateResult::UnzipFailed;
    std::filesystem::remove(marker, ec);

    host.pause(200);
    host.stage(Stage::Indexing);
    const bool popupFound = host.sendToPopupMessenger(kMessageIndexing).has_value();
    host.runAndWait(programs / kIndexProgram, data);
    host.indexed();
    if (popupFound) host.sendToPopupMessenger(kMessageIndexed);
    return UpdateResult::Installed;
}

}  // namespace tulvo::updates
