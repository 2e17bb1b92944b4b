// Dictionary installation at start-up: when data/CEDICT_ts.u8 is missing or
// empty, offer to download the archive, unpack it with ploskar, let zarnith
// rebuild the index, and tell the user how it went.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "updates/dictionary_update.hpp"

namespace tulvo::shell {

// What the installation needs of the program around it.
class InstallerHost {
  public:
    virtual ~InstallerHost() = default;
    // A yes/no question box with a question icon; true for Yes.
    virtual bool askYesNo(const std::string& caption, const std::string& text) = 0;
    // Shows the progress window with this text.
    virtual void showProgress(const std::string& text) = 0;
    virtual void hideProgress() = 0;
    virtual void pause(int milliseconds) = 0;
    // The whole body of a GET; empty on failure.
    virtual std::vector<uint8_t> download(const std::string& url) = 0;
    // Runs a program with no arguments in a directory and waits for its end.
    virtual void runProgram(const std::filesystem::path& program,
                            const std::filesystem::path& directory);
    // Empty when the popup messenger is not there.
    virtual std::optional<int64_t> sendToPopupMessenger(uint32_t message) = 0;
    virtual void information(const std::string& caption, const std::string& text) = 0;
};

enum class InstallOutcome { Present, Installed, Declined, DownloadFailed, SaveFailed, UnzipFailed };

// The progress window's text for a stage: empty line, stage line, empty line, wait line.
std::string progressText(const std::string& stageLine, const std::string& waitLine);

InstallOutcome installDictionaryIfMissing(const std::filesystem::path& programDirectory,
                                          const std::string& url, InstallerHost& host);

}  // namespace tulvo::shell
