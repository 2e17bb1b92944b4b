#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/http_request.hpp"
#include "platform/run_program.hpp"
#include "shell/dictionary_installer.hpp"
#include "tests/support/one_answer_http_server.hpp"
#include "tests/support/temp_dir.hpp"
#include "tests/support/zip_builder.hpp"

namespace tulvo::shell {
namespace {

using updates::kArchiveName;
using updates::kUnzipMarker;

using testing::OneAnswerHttpServer;
using testing::TempDir;

// Downloads with the real HTTP request object and runs the real programs;
// records what the user would see and the messages to the popup program.
class RecordingHost : public InstallerHost {
  public:
    bool answerYes = true;
    bool popupRunning = false;
    std::vector<std::string> questions, progress, boxes;
    std::vector<uint32_t> messages;
    int hides = 0;

    bool askYesNo(const std::string& caption, const std::string& text) override {
        questions.push_back(caption + "|" + text);
        return answerYes;
    }
    void showProgress(const std::string& text) override { progress.push_back(text); }
    void hideProgress() override { ++hides; }
    void pause(int) override {}
    std::vector<uint8_t> download(const std::string& url) override {
        platform::HttpRequest request;
        request.open("GET", url);
        request.send();
        return request.responseBody();
    }
    void runProgram(const std::filesystem::path& program,
                    const std::filesystem::path& directory) override {
        runProgramAndWait(program, directory);
    }
    std::optional<int64_t> sendToPopupMessenger(uint32_t message) override {
        if (!popupRunning) return std::nullopt;
        messages.push_back(message);
        return 0;
    }
    void information(const std::string& caption, const std::string& text) override {
        boxes.push_back(caption + "|" + text);
    }
};

// A dictionary archive above the minimum download size.
std::string archive() {
    std::string lines;
    for (int i = 0; lines.size() < 1'200'000; ++i)
        lines += "詞" + std::to_string(i) + " 词" + std::to_string(i) + " [ci2] /word " +
                 std::to_string(i) + "/\n";
    return testing::ZipBuilder().add("cedict_ts.u8", lines, /*deflated=*/false).bytes();
}

struct InstallerTest : ::testing::Test {
    TempDir dir;
    RecordingHost host;
    void SetUp() override {
        std::filesystem::create_directories(dir / "data");
        std::filesystem::create_symlink(TULVO_PLOSKAR, dir / "data" / "ploskar");
    }
    InstallOutcome install(const std::string& url) {
        return installDictionaryIfMissing(dir.path(), url, host);
    }
    // The one box a failed install shows.
    static std::vector<std::string> failed(const std::string& reason) {
        return {"CEDICT dictionary file|I am sorry, " + reason +
                "\n\nYou should download it from 127.0.0.1 and save 'cedict_ts.u8' to the 'data' "
                "directory."};
    }
};

TEST_F(InstallerTest, PresentDictionaryAsksNothing) {
    dir.write("data/CEDICT_ts.u8", "x\r\n");
    EXPECT_EQ(install("http://127.0.0.1:1/a.zip"), InstallOutcome::Present);
    EXPECT_TRUE(host.questions.empty());
}

TEST_F(InstallerTest, DownloadsUnpacksAndTellsThePopupProgram) {
    dir.write("data/CEDICT_ts.u8", "");  // empty counts as missing
    const std::string zip = archive();
    OneAnswerHttpServer server(200, zip);
    host.popupRunning = true;
    EXPECT_EQ(install(server.url("/chindict/export/cedict/" + std::string(kArchiveName))),
              InstallOutcome::Installed);
    ASSERT_EQ(host.questions.size(), 1u);
    EXPECT_EQ(
        host.questions[0],
        "Dictionary file not found|In order to work, Tulvo needs the CEDICT dictionary file.\n\n"
        "If you are connected to internet, do you want to try\nand download it automatically?\n");
    EXPECT_EQ(host.progress,
              (std::vector<std::string>{
                  "\nDownloading file from 127.0.0.1\n\nPlease wait a moment . . .",
                  "\nUnzipping the CEDICT file.\n\nPlease wait a minute . . .",
                  "\nRebuilding the dictionary index.\n\nPlease wait a minute . . ."}));
    EXPECT_EQ(
        host.boxes,
        std::vector<std::string>{
            "CEDICT dictionary file|The CEDICT dictionary file has been installed successfully."});
    EXPECT_EQ(host.messages, (std::vector<uint32_t>{0x509, 0x50A}));
    EXPECT_EQ(TempDir::read(dir / "data" / std::string(kArchiveName)), zip);
    const std::string dictionary = TempDir::read(dir / "data" / "CEDICT_ts.u8");
    EXPECT_EQ(dictionary.substr(0, 26), "詞0 词0 [ci2] /word 0/\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "data" / std::string(kUnzipMarker)));
}

TEST_F(InstallerTest, InstalledTheDownloadGoesToTheUserFolderAndTheShippedOneStays) {
    // An installed program directory whose shipped dictionary is empty, a
    // user folder of its own; the shipped ploskar unpacks in the user folder.
    dir.write("data/installed-layout", "");
    dir.write("data/CEDICT_ts.u8", "");
    const char* saved = std::getenv("XDG_DATA_HOME");
    const std::string savedValue = saved ? saved : "";
    setenv("XDG_DATA_HOME", (dir / "xdg").c_str(), 1);
    OneAnswerHttpServer server(200, archive());
    EXPECT_EQ(install(server.url("/a.zip")), InstallOutcome::Installed);
    EXPECT_EQ(TempDir::read(dir / "xdg/tulvo/CEDICT_ts.u8").substr(0, 26),
              "詞0 词0 [ci2] /word 0/\r\n");
    EXPECT_EQ(TempDir::read(dir / "data/CEDICT_ts.u8"), "");
    EXPECT_FALSE(std::filesystem::exists(dir / "data" / std::string(kArchiveName)));
    // From now on the user's copy is the dictionary: nothing more to install.
    EXPECT_EQ(install("http://127.0.0.1:1/a.zip"), InstallOutcome::Present);
    saved ? setenv("XDG_DATA_HOME", savedValue.c_str(), 1) : unsetenv("XDG_DATA_HOME");
}

TEST_F(InstallerTest, ShortAnswerIsAFailedConnectionAndWritesNoArchive) {
    OneAnswerHttpServer server(200, std::string(999'999, 'x'));
    EXPECT_EQ(install(server.url("/a.zip")), InstallOutcome::DownloadFailed);
    EXPECT_EQ(host.boxes, failed("I could not connect to the CEDICT dictionary file."));
    EXPECT_FALSE(std::filesystem::exists(dir / "data" / std::string(kArchiveName)));
    EXPECT_GE(host.hides, 1);
    // No server at all.
    std::string gone;
    {
        OneAnswerHttpServer closed(200, "");
        gone = closed.url("/a.zip");
    }
    EXPECT_EQ(install(gone), InstallOutcome::DownloadFailed);
}

TEST_F(InstallerTest, NoMeansNoDownload) {
    OneAnswerHttpServer server(200, archive());
    host.answerYes = false;
    EXPECT_EQ(install(server.url("/a.zip")), InstallOutcome::Declined);
    EXPECT_EQ(host.boxes, failed("Tulvo cannot run without the CEDICT dictionary file."));
    EXPECT_EQ(server.requests(), 0);
    EXPECT_TRUE(host.progress.empty());
}

TEST_F(InstallerTest, UnzipFailureEvenWithAStaleMarker) {
    // A large answer that is not an archive, with a marker left by an earlier
    // run; an archive whose dictionary entry is an error page; a good archive
    // without the unzip program: the same report each time.
    std::string page;
    while (page.size() < 1'200'000) page += "<p>This page has moved.</p>\n";
    const std::string answers[] = {
        std::string(1'500'000, 'x'),
        testing::ZipBuilder().add("cedict_ts.u8", page, /*deflated=*/false).bytes(), archive()};
    host.popupRunning = true;
    for (int k = 0; k < 3; ++k) {
        dir.write("data/" + std::string(kUnzipMarker), "");
        if (k == 2) std::filesystem::remove(dir / "data" / "ploskar");
        OneAnswerHttpServer server(200, answers[k]);
        host.boxes.clear();
        EXPECT_EQ(install(server.url("/a.zip")), InstallOutcome::UnzipFailed) << k;
        EXPECT_EQ(host.boxes, failed("an error occurred while unzipping the data.")) << k;
        EXPECT_FALSE(std::filesystem::exists(dir / "data" / "CEDICT_ts.u8")) << k;
    }
    EXPECT_TRUE(host.messages.empty());
}

TEST(DictionaryUrl, DomainIsTheHostOfTheAddress) {
    EXPECT_EQ(updates::domainOf("https://www.example.org/chindict/export/cedict/a.zip"),
              "www.example.org");
    EXPECT_EQ(updates::domainOf("http://127.0.0.1:8080/a.zip"), "127.0.0.1");
    EXPECT_EQ(updates::domainOf("http://user@host.test"), "host.test");
    ::setenv("TULVO_DICTIONARY_URL", "http://127.0.0.1:9/x.zip", 1);
    EXPECT_EQ(updates::dictionaryUrl(), "http://127.0.0.1:9/x.zip");
    for (const char* server : {"http://127.0.0.1:9", "http://127.0.0.1:9/"}) {
        ::setenv("TULVO_DICTIONARY_URL", server, 1);
        EXPECT_EQ(updates::dictionaryUrl(),
                  "http://127.0.0.1:9/chindict/export/cedict/cedict_1_0_ts_utf-8_mdbg.zip");
    }
    ::unsetenv("TULVO_DICTIONARY_URL");
    EXPECT_NE(updates::dictionaryUrl(), "");
}

}  // namespace
}  // namespace tulvo::shell
