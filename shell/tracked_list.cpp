#include "shell/tracked_list.hpp"

#include "characters/freq_file.hpp"
#include "characters/word_values.hpp"
#include "favorites/favorites_store.hpp"
#include "favorites/list_import.hpp"
#include "ui/message_box.hpp"
#include "ui/text.hpp"

namespace tulvo::shell {

using ui::toQString;

TrackedList::TrackedList(std::filesystem::path programDirectory, QWidget& parent)
    : dir_(std::move(programDirectory)), parent_(parent) {}

void TrackedList::importList(const std::string& bytes, int encoding,
                             favorites::FavoritesStore* store) {
    if (!store) return;
    favorites::ImportRequest request;
    // The reader ends the bytes with two zero bytes, which are not text.
    request.text = std::string_view(bytes).substr(0, bytes.size() >= 2 ? bytes.size() - 2 : 0);
    request.encoding = encoding;
    const characters::FreqFile freq(dir_ / characters::kFreqPath);
    request.classes = characters::listWordClasses(freq);
    favorites::importList(request, *store, nullptr);
}

void TrackedList::favoriteAdded(std::u16string_view word, bool updateBack,
                                const std::filesystem::path& list, int encoding) {
    if (!updateBack || list.empty()) return;
    const characters::FreqFile freq(dir_ / characters::kFreqPath);
    std::string reason;
    const auto result = favorites::appendToTrackedList(list, encoding, word,
                                                       characters::listWordClasses(freq), &reason);
    // Each kind of trouble is told once a run, not at every favorite.
    QString text;
    if (result == favorites::UpdateBack::CannotHold && !toldCannotHold_) {
        toldCannotHold_ = true;
        text = QStringLiteral(
                   "The favorite word %1 was not added to %2: the file's encoding cannot "
                   "hold its characters.")
                   .arg(toQString(word), QString::fromStdString(list.filename().string()));
    } else if (result == favorites::UpdateBack::Failed && !toldFailure_) {
        toldFailure_ = true;
        text = QStringLiteral("Sorry, the favorite word %1 could not be added to %2.\r%3")
                   .arg(toQString(word), QString::fromStdString(list.filename().string()),
                        QString::fromStdString(reason));
    }
    if (text.isEmpty()) return;
    ui::tell(text, &parent_);
}

}  // namespace tulvo::shell
