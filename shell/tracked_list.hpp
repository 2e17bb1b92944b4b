// The learner's tracked word list seen from the main window: its words
// imported into the favorites at start, and each new favorite appended to it
// when update-back is on, with each kind of trouble told once a run.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

class QWidget;

namespace tulvo::favorites {
class FavoritesStore;
}

namespace tulvo::shell {

class TrackedList {
  public:
    // `programDirectory` holds data/freq.dat; messages are shown over `parent`.
    TrackedList(std::filesystem::path programDirectory, QWidget& parent);

    // Imports the list's bytes (ending in the reader's two zero bytes) into `store`.
    void importList(const std::string& bytes, int encoding, favorites::FavoritesStore* store);
    // Appends a new favorite to the list at `list` when `updateBack` is on.
    void favoriteAdded(std::u16string_view word, bool updateBack, const std::filesystem::path& list,
                       int encoding);

  private:
    std::filesystem::path dir_;
    QWidget& parent_;
    bool toldCannotHold_ = false;
    bool toldFailure_ = false;
};

}  // namespace tulvo::shell
