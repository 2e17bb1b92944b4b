// A pipe in the place of a data file (made by a user's script, or left by a
// tool) is read as a missing file: opening it must not wait for a writer.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <future>

#include "characters/char_types.hpp"
#include "characters/stroke_order.hpp"
#include "dictionary/dictionary_file.hpp"
#include "favorites/favorites_store.hpp"
#include "tests/support/temp_dir.hpp"

namespace {

using tulvo::testing::TempDir;

// Runs `read` on a pipe at `path`; true when it returned within two seconds.
// When it hangs, the pipe is opened for writing (and closed) to release it.
bool returnsAtOnce(const std::filesystem::path& path, const std::function<void()>& read) {
    auto done = std::async(std::launch::async, read);
    if (done.wait_for(std::chrono::seconds(2)) == std::future_status::ready) return true;
    const int writer = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (writer >= 0) ::close(writer);
    done.wait();
    return false;
}

TEST(DataFilePipes, EveryReaderTakesAPipeForAMissingFile) {
    TempDir dir;
    const auto pipe = [&](const char* name) {
        const auto path = dir / name;
        EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
        return path;
    };
    const auto dictionary = pipe("CEDICT_ts.u8");
    EXPECT_TRUE(returnsAtOnce(dictionary, [&] {
        tulvo::dictionary::DictionaryBytes bytes;
        bytes.load(dictionary);
        EXPECT_TRUE(bytes.bytes().empty());
    })) << "dictionary";

    const auto chartypes = pipe("chartypes.txt");
    EXPECT_TRUE(returnsAtOnce(chartypes, [&] {
        EXPECT_EQ(tulvo::characters::CharTypes(chartypes).byte(0x4E2D), -1);
    })) << "chartypes";

    const auto strokes = pipe("strokeorderdata.dat");
    EXPECT_TRUE(returnsAtOnce(strokes, [&] {
        const tulvo::characters::StrokeOrderFile file(strokes);
        EXPECT_EQ(file.count(), 0u);
    })) << "stroke order";

    const auto favorites = pipe("favorites.dat");
    EXPECT_TRUE(returnsAtOnce(favorites, [&] {
        tulvo::favorites::FavoritesStore store(favorites, dir / "debug.txt");
        store.load();
        EXPECT_EQ(store.test(u"好"), 0);
    })) << "favorites";
}

}  // namespace
