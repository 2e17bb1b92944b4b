#include "shell/dictionary_installer.hpp"

#include "platform/app_paths.hpp"
#include "platform/run_program.hpp"

namespace tulvo::shell {
namespace {

const char* const kCaption = "CEDICT dictionary file";

void reportFailure(InstallerHost& host, const std::string& domain, const std::string& reason) {
    host.information(kCaption, "I am sorry, " + reason + "\n\nYou should download it from " +
                                   domain + " and save 'cedict_ts.u8' to the 'data' directory.");
    host.hideProgress();
}

// The shared update, shown in the progress window and message boxes.
class InstallProgress : public updates::UpdateHost {
  public:
    InstallProgress(InstallerHost& host, std::string domain)
        : host_(host), domain_(std::move(domain)) {}

    void stage(updates::Stage stage) override {
        switch (stage) {
            case updates::Stage::Downloading:
                host_.showProgress(
                    progressText("Downloading file from " + domain_, "Please wait a moment . . ."));
                break;
            case updates::Stage::Unzipping:
                host_.showProgress(
                    progressText("Unzipping the CEDICT file.", "Please wait a minute . . ."));
                break;
            case updates::Stage::Indexing:
                host_.showProgress(
                    progressText("Rebuilding the dictionary index.", "Please wait a minute . . ."));
                break;
        }
    }
    std::optional<std::string> download(const std::string& url) override {
        const std::vector<uint8_t> body = host_.download(url);
        return std::string(body.begin(), body.end());
    }
    void runAndWait(const std::filesystem::path& program,
                    const std::filesystem::path& directory) override {
        host_.runProgram(program, directory);
    }
    std::optional<int64_t> sendToPopupMessenger(uint32_t message) override {
        return host_.sendToPopupMessenger(message);
    }
    void pause(int milliseconds) override { host_.pause(milliseconds); }
    void indexed() override {
        host_.hideProgress();
        host_.information(kCaption, "The CEDICT dictionary file has been installed successfully.");
    }

  private:
    InstallerHost& host_;
    std::string domain_;
};

}  // namespace

void InstallerHost::runProgram(const std::filesystem::path& program,
                               const std::filesystem::path& directory) {
    runProgramAndWait(program, directory);
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

    const std::string domain = updates::domainOf(url);
    if (!host.askYesNo("Dictionary file not found",
                       "In order to work, Tulvo needs the CEDICT dictionary file.\n\n"
                       "If you are connected to internet, do you want to try\n"
                       "and download it automatically?\n")) {
        reportFailure(host, domain, "Tulvo cannot run without the CEDICT dictionary file.");
        return InstallOutcome::Declined;
    }

    InstallProgress progress(host, domain);
    const auto failed = [&](const char* reason, InstallOutcome outcome) {
        host.hideProgress();
        reportFailure(host, domain, reason);
        return outcome;
    };
    paths.ensureUserDirectory();
    switch (updates::downloadAndInstall(data, url, progress, programDirectory / "data")) {
        case updates::UpdateResult::Installed:
            return InstallOutcome::Installed;
        case updates::UpdateResult::DownloadFailed:
            return failed("I could not connect to the CEDICT dictionary file.",
                          InstallOutcome::DownloadFailed);
        case updates::UpdateResult::SaveFailed:
            return failed("an error occurred while saving the data.", InstallOutcome::SaveFailed);
        case updates::UpdateResult::UnzipFailed:
            break;
    }
    return failed("an error occurred while unzipping the data.", InstallOutcome::UnzipFailed);
}

}  // namespace tulvo::shell
