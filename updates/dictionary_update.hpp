// The dictionary's way from the server into the data directory, shared by the
// installation at start-up and the options program's "Download" button:
// download the archive, save it, let ploskar unpack it (its marker file tells
// success), let zarnith rebuild the index, and tell the popup program before
// and after the rebuild. The two callers differ only in what they show.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tulvo::updates {

// Names in the data directory.
inline constexpr std::string_view kArchiveName = "cedict_1_0_ts_utf-8_mdbg.zip";
inline constexpr std::string_view kDictionaryName = "CEDICT_ts.u8";
inline constexpr std::string_view kUnzipMarker = "ploskar.txt";
inline constexpr std::string_view kUnzipProgram = "ploskar";
inline constexpr std::string_view kIndexProgram = "zarnith";
// The archive's path on its server.
inline constexpr std::string_view kArchivePath =
    "/chindict/export/cedict/cedict_1_0_ts_utf-8_mdbg.zip";
// A shorter answer is an error page, not the archive.
inline constexpr size_t kMinimumArchive = 1'000'000;

// Messages to the popup program's messenger around the index rebuild.
inline constexpr uint32_t kMessageIndexing = 0x509;
inline constexpr uint32_t kMessageIndexed = 0x50A;

// The archive's address: the build's default, or TULVO_DICTIONARY_URL, the
// archive's full address or its server's (then with the archive's path).
std::string dictionaryUrl();
// The host and port of an address ("127.0.0.1:8080" of "http://127.0.0.1:8080/a").
std::string hostOf(std::string_view address);
// The host name alone ("www.example.org" of "https://user@www.example.org:80/a").
std::string domainOf(std::string_view address);

enum class Stage { Downloading, Unzipping, Indexing };
enum class UpdateResult { Installed, DownloadFailed, SaveFailed, UnzipFailed };

// What the pipeline needs of the program around it.
class UpdateHost {
  public:
    virtual ~UpdateHost() = default;
    // A stage begins: the caller shows its progress text.
    virtual void stage(Stage stage) = 0;
    // The whole body of a GET; nothing when no answer came.
    virtual std::optional<std::string> download(const std::string& url) = 0;
    // Runs a program with no arguments in a directory and waits for its end.
    virtual void runAndWait(const std::filesystem::path& program,
                            const std::filesystem::path& directory);
    // Nothing when the popup messenger is not there.
    virtual std::optional<int64_t> sendToPopupMessenger(uint32_t message) = 0;
    virtual void pause(int milliseconds) = 0;
    // The index is rebuilt; called before the popup program is told so.
    virtual void indexed() = 0;
};

// The whole update into `dataDirectory`, with the unzip and index programs
// of `programsDirectory` (the same folder when empty; installed, the
// programs are shipped and the dictionary goes to the user's folder). On any
// failure the dictionary in place stays as it was.
UpdateResult downloadAndInstall(const std::filesystem::path& dataDirectory, const std::string& url,
                                UpdateHost& host,
                                const std::filesystem::path& programsDirectory = {});

}  // namespace tulvo::updates
