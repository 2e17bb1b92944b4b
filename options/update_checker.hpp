// The "Tulvo updates" tab's logic: the installed program against the version
// page, the installed dictionary's date against the archive's Last-Modified
// date, and the dictionary update (download, unzip, index).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "options/update_http.hpp"
#include "updates/dictionary_update.hpp"

namespace tulvo::options {

inline constexpr std::string_view kVersionPagePath = "/search/label/version";
inline constexpr std::string_view kVersionMarker = "current version of Tulvo: ";

struct UpdateAddresses {
    std::string versionPage;  // the version page
    std::string archive;      // the dictionary archive
    std::string website;      // the product's web site
    std::string siteName;     // the distributor's site, as the new-version line names it
};

// The build's addresses, with TULVO_VERSION_URL and TULVO_DICTIONARY_URL
// (a server address, or a full address of the page or archive) and
// TULVO_WEBSITE_URL taking precedence when set.
UpdateAddresses updateAddresses();
// `value` when it names a path on its server, else the server with `path`.
std::string addressWithPath(std::string_view value, std::string_view path);

// The newest version announced on a version page; empty when the marker is
// not there.
std::optional<std::string> newestVersion(std::string_view page);

// The date of the file's last write in universal time, "yyyy-MM-dd"; empty
// when it is not a file.
std::string fileDate(const std::filesystem::path& file);

enum class UpdateGroup { Program, Dictionary };

// What the tab shows.
class UpdateView {
  public:
    virtual ~UpdateView() = default;
    // Line 1, 2 or 3 of a group.
    virtual void setLine(UpdateGroup group, int line, const std::string& text) = 0;
    virtual void setDownloadEnabled(bool enabled) = 0;
};

// The programs and messages the update reaches outside the options program.
class UpdateSystem {
  public:
    virtual ~UpdateSystem() = default;
    // Starts `program` in `workingDirectory` and waits for its end.
    virtual void runAndWait(const std::filesystem::path& program,
                            const std::filesystem::path& workingDirectory);
    // Sends a message to the popup messenger; false when it is not there.
    virtual bool sendToPopupMessenger(uint32_t message) = 0;
    virtual void pause(int milliseconds) = 0;
};

class UpdateChecker {
  public:
    UpdateChecker(std::filesystem::path programDirectory, std::string installedVersion,
                  UpdateAddresses addresses, UpdateHttp& http, UpdateView& view,
                  UpdateSystem& system);

    // Both checks, their transfers at the same time.
    void check();
    void checkProgram();
    void checkDictionary();
    // The "Download" button: fetch, save, unzip and index the archive.
    void update();

  private:
    void showInstalledDictionary();
    void showProgram(const std::optional<std::string>& page);
    void showDictionary(std::string archiveDate);
    void dictionaryLine(const std::string& text) {
        view_.setLine(UpdateGroup::Dictionary, 3, text);
    }

    std::filesystem::path dir_;
    std::string installed_;
    UpdateAddresses addresses_;
    UpdateHttp& http_;
    UpdateView& view_;
    UpdateSystem& system_;
    std::string archiveDate_;
    std::string installedDate_;
};

}  // namespace tulvo::options
