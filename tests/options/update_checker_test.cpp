// The update checker against a local HTTP server: program and dictionary
// checks, the dictionary update with its messages, and the parsing rules.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <map>

#include "options/update_checker.hpp"
#include "tests/support/local_http_server.hpp"
#include "tests/support/temp_dir.hpp"

using namespace tulvo::options;
using tulvo::testing::LocalHttpServer;
using tulvo::testing::TempDir;

namespace {

class RecordingView : public UpdateView {
  public:
    void setLine(UpdateGroup group, int line, const std::string& text) override {
        lines[{group, line}] = text;
        if (group == UpdateGroup::Dictionary && line == 3) dictionaryMessages.push_back(text);
    }
    void setDownloadEnabled(bool enabled) override { download = enabled; }
    std::string line(UpdateGroup group, int n) { return lines[{group, n}]; }

    std::map<std::pair<UpdateGroup, int>, std::string> lines;
    std::vector<std::string> dictionaryMessages;
    bool download = false;
};

// Runs "ploskar" as the unzip program would when `unzipWorks`; records the
// rest.
class FakeSystem : public UpdateSystem {
  public:
    void runAndWait(const std::filesystem::path& program,
                    const std::filesystem::path& cwd) override {
        runs.push_back(program.filename().string() + " in " + cwd.filename().string());
        if (program.filename() == "ploskar" && unzipWorks) {
            std::ofstream(cwd / "CEDICT_ts.u8", std::ios::binary) << "new dictionary\r\n";
            std::ofstream(cwd / "ploskar.txt") << "ok";
        }
    }
    bool sendToPopupMessenger(uint32_t message) override {
        messages.push_back(message);
        return messengerThere;
    }
    void pause(int milliseconds) override { paused += milliseconds; }

    bool unzipWorks = true;
    bool messengerThere = false;
    std::vector<std::string> runs;
    std::vector<uint32_t> messages;
    int paused = 0;
};

const std::string kArchiveUrlPath(tulvo::updates::kArchivePath);

class UpdateCheckerTest : public ::testing::Test {
  protected:
    UpdateCheckerTest() { std::filesystem::create_directories(dir_ / "data"); }

    UpdateAddresses addresses() const {
        return {server_.address() + "/search/label/version", server_.address() + kArchiveUrlPath,
                server_.address(), "127.0.0.1:" + std::to_string(server_.port())};
    }
    UpdateChecker checker(const std::string& installed = "version 2.1a") {
        return UpdateChecker(dir_.path(), installed, addresses(), http_, view_, system_);
    }
    void installDictionary(const char* date) {
        dir_.write("data/CEDICT_ts.u8", "old dictionary\r\n");
        std::tm utc{};
        std::sscanf(date, "%4d-%2d-%2d", &utc.tm_year, &utc.tm_mon, &utc.tm_mday);
        utc.tm_year -= 1900;
        utc.tm_mon -= 1;
        utc.tm_hour = 23;  // late in the day: the date is taken in universal time
        const time_t seconds = timegm(&utc);
        const timespec times[2] = {{seconds, 0}, {seconds, 0}};
        ::utimensat(AT_FDCWD, (dir_ / "data/CEDICT_ts.u8").c_str(), times, 0);
    }
    void serveArchive(const std::string& lastModified, size_t size) {
        server_.set(kArchiveUrlPath, {200, std::string(size, 'z'), lastModified});
    }

    TempDir dir_;
    LocalHttpServer server_;
    NetworkUpdateHttp http_;
    RecordingView view_;
    FakeSystem system_;
};

TEST_F(UpdateCheckerTest, NewerProgramAndUpToDateProgram) {
    server_.set("/search/label/version",
                {200, "<p>The current version of Tulvo: 2.2<br/>more</p>", ""});
    checker().checkProgram();
    EXPECT_EQ(view_.line(UpdateGroup::Program, 1), "Installed version: version 2.1a");
    EXPECT_EQ(view_.line(UpdateGroup::Program, 2), "Newest version:  version 2.2");
    EXPECT_EQ(view_.line(UpdateGroup::Program, 3), "A new version of Tulvo is available.");

    server_.set("/search/label/version",
                {200, "current version of Tulvo: version 2.1a\r\n<br>", ""});
    checker().checkProgram();
    EXPECT_EQ(view_.line(UpdateGroup::Program, 2), "Newest version:  version 2.1a");
    EXPECT_EQ(view_.line(UpdateGroup::Program, 3), "Your version of Tulvo is up to date.");
    EXPECT_EQ(server_.requests().back(), "GET /search/label/version");

    // A page without the marker counts as no connection.
    server_.set("/search/label/version", {200, "<html>maintenance</html>", ""});
    checker().checkProgram();
    EXPECT_EQ(view_.line(UpdateGroup::Program, 3), "Sorry, I could not connect to the server.");
}

TEST_F(UpdateCheckerTest, NoConnection) {
    UpdateAddresses nowhere = addresses();
    {
        LocalHttpServer closed;  // a port that nothing listens on once it is gone
        nowhere.versionPage = closed.address() + "/search/label/version";
        nowhere.archive = closed.address() + kArchiveUrlPath;
    }
    installDictionary("2025-01-02");
    UpdateChecker(dir_.path(), "version 2.1a", nowhere, http_, view_, system_).check();
    EXPECT_EQ(view_.line(UpdateGroup::Program, 1), "Installed version: version 2.1a");
    EXPECT_EQ(view_.line(UpdateGroup::Program, 3), "Sorry, I could not connect to the server.");
    EXPECT_EQ(view_.line(UpdateGroup::Dictionary, 1), "Installed version: 2025-01-02");
    EXPECT_EQ(view_.line(UpdateGroup::Dictionary, 2), "");
    EXPECT_EQ(view_.line(UpdateGroup::Dictionary, 3), "Sorry, I could not connect to the server.");
    EXPECT_FALSE(view_.download);
}

TEST_F(UpdateCheckerTest, NewerDictionaryIsDownloadedUnzippedAndIndexed) {
    installDictionary("2025-01-02");
    serveArchive("Tue, 01 Dec 2026 10:00:00 GMT", 1'000'000);
    system_.messengerThere = true;
    UpdateChecker updates = checker();
    updates.checkDictionary();
    EXPECT_EQ(view_.line(UpdateGroup::Dictionary, 2), "Newest version:  2026-12-01");
    EXPECT_EQ(
        view_.line(UpdateGroup::Dictionary, 3),
        "A new version of CEDICT is available on 127.0.0.1:" + std::to_string(server_.port()));
    EXPECT_TRUE(view_.download);
    EXPECT_EQ(server_.requests().back(), "HEAD " + kArchiveUrlPath);

    dir_.write("data/ploskar.txt", "stale");
    view_.dictionaryMessages.clear();
    updates.update();
    EXPECT_EQ(view_.dictionaryMessages,
              (std::vector<std::string>{"Downloading CEDICT file. Please wait a minute...",
                                        "Unzipping CEDICT file. Please wait a minute...",
                                        "Rebuilding the dictionary index. Please wait a minute...",
                                        "Your version of CEDICT is up to date."}));
    EXPECT_FALSE(view_.download);
    EXPECT_EQ(std::filesystem::file_size(dir_ / "data/cedict_1_0_ts_utf-8_mdbg.zip"), 1'000'000u);
    EXPECT_EQ(TempDir::read(dir_ / "data/CEDICT_ts.u8"), "new dictionary\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir_ / "data/ploskar.txt"));
    EXPECT_EQ(system_.runs, (std::vector<std::string>{"ploskar in data", "zarnith in data"}));
    EXPECT_EQ(system_.messages, (std::vector<uint32_t>{0x509, 0x50A}));
    EXPECT_EQ(system_.paused, 200);

    // The next check finds the installed dictionary as new as the archive.
    updates.checkDictionary();
    EXPECT_EQ(view_.line(UpdateGroup::Dictionary, 1), "Installed version: 2026-12-01");
    EXPECT_EQ(view_.line(UpdateGroup::Dictionary, 3), "Your version of CEDICT is up to date.");
}

TEST_F(UpdateCheckerTest, SameDateIsUpToDate) {
    installDictionary("2026-12-01");
    serveArchive("Tue, 01 Dec 2026 01:00:00 GMT", 10);
    checker().checkDictionary();
    EXPECT_EQ(view_.line(UpdateGroup::Dictionary, 3), "Your version of CEDICT is up to date.");
    EXPECT_FALSE(view_.download);
}

TEST_F(UpdateCheckerTest, UnreadableDateIsNoNewerDictionary) {
    installDictionary("2025-01-02");
    for (const char* date : {"Wed, 21 Foo 2015", "garbage", "tomorrow"}) {
        serveArchive(date, 10);
        checker().checkDictionary();
        EXPECT_EQ(view_.line(UpdateGroup::Dictionary, 3),
                  "Sorry, I could not connect to the server.")
            << date;
        EXPECT_FALSE(view_.download) << date;
    }
    // The other date forms HTTP allows are read.
    serveArchive("Tuesday, 01-Dec-26 10:00:00 GMT", 10);
    checker().checkDictionary();
    EXPECT_EQ(view_.line(UpdateGroup::Dictionary, 2), "Newest version:  2026-12-01");
    serveArchive("Tue Dec  1 10:00:00 2026", 10);
    view_.lines.clear();
    checker().checkDictionary();
    EXPECT_EQ(view_.line(UpdateGroup::Dictionary, 2), "Newest version:  2026-12-01");
}

TEST_F(UpdateCheckerTest, MissingDictionaryAndFailedUpdates) {
    serveArchive("Tue, 01 Dec 2026 10:00:00 GMT", 999'999);
    UpdateChecker updates = checker();
    updates.checkDictionary();
    EXPECT_EQ(
        view_.line(UpdateGroup::Dictionary, 1),
        "Installed version: Sorry, I could not determine the version currently installed on this "
        "computer.");
    EXPECT_TRUE(view_.download);

    updates.update();
    EXPECT_EQ(view_.dictionaryMessages.back(), "Sorry, could not update -- Error downloading");
    EXPECT_FALSE(std::filesystem::exists(dir_ / "data/cedict_1_0_ts_utf-8_mdbg.zip"));
    EXPECT_TRUE(system_.runs.empty());

    // The unzip leaves no marker; a stale one from before does not count.
    serveArchive("Tue, 01 Dec 2026 10:00:00 GMT", 1'000'001);
    system_.unzipWorks = false;
    dir_.write("data/ploskar.txt", "stale");
    updates.update();
    EXPECT_EQ(view_.dictionaryMessages.back(), "Sorry, could not update -- Error while unzipping.");
    EXPECT_TRUE(view_.download);
    EXPECT_TRUE(system_.messages.empty());
}

TEST(UpdateParsing, VersionPageMarker) {
    EXPECT_EQ(newestVersion("x current version of Tulvo: 2.2<br />"), "version 2.2");
    EXPECT_EQ(newestVersion("current version of Tulvo: version 2.1a\r\nnext line"), "version 2.1a");
    EXPECT_EQ(newestVersion("current version of Tulvo:   3.0 beta \t</b>"), "version 3.0 beta");
    EXPECT_EQ(newestVersion("current version of Tulvo: 3.1\nnext line"), "version 3.1");
    EXPECT_EQ(newestVersion("current version of tulvo: 2.2"), std::nullopt);
    EXPECT_EQ(newestVersion(""), std::nullopt);
}

TEST(UpdateParsing, Addresses) {
    EXPECT_EQ(addressWithPath("http://127.0.0.1:8080", "/p/q"), "http://127.0.0.1:8080/p/q");
    EXPECT_EQ(addressWithPath("http://127.0.0.1:8080/", "/p/q"), "http://127.0.0.1:8080/p/q");
    EXPECT_EQ(addressWithPath("http://h/own.html", "/p/q"), "http://h/own.html");
    EXPECT_EQ(tulvo::updates::hostOf("https://www.example.org:8080/a/b"), "www.example.org:8080");
    setenv("TULVO_VERSION_URL", "http://127.0.0.1:9", 1);
    setenv("TULVO_DICTIONARY_URL", "http://127.0.0.1:10/x.zip", 1);
    const UpdateAddresses addresses = updateAddresses();
    unsetenv("TULVO_VERSION_URL");
    unsetenv("TULVO_DICTIONARY_URL");
    EXPECT_EQ(addresses.versionPage, "http://127.0.0.1:9/search/label/version");
    EXPECT_EQ(addresses.archive, "http://127.0.0.1:10/x.zip");
    EXPECT_EQ(addresses.siteName, "127.0.0.1:10");
    EXPECT_EQ(addresses.website, "http://127.0.0.1:9");
}

}  // namespace
