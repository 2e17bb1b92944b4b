// The character panel on screen: the headword and character displays, the
// four rich-text fields, the favorite indicator and the two character menus.
// The texts come from character_panel; this class places them, handles the
// clicks on characters and tells the window what to look up or recolour.
#pragma once

#include <QLineEdit>
#include <QMenu>
#include <QObject>
#include <QTextEdit>
#include <QWidget>
#include <array>
#include <filesystem>
#include <functional>

#include "characters/character_panel.hpp"
#include "favorites/favorites_store.hpp"

namespace tulvo::ui {
class FavoriteIndicator;
}

namespace tulvo::characters {

class CharacterPanelView : public QWidget {
    Q_OBJECT
  public:
    // The white panel at the window's left, a child of `window`, with its
    // controls. `charForm` gives the character-form preference at the time
    // of a lookup.
    CharacterPanelView(QWidget* window, std::filesystem::path programDirectory,
                       const dictionary::WordValueLookup& values,
                       std::function<dictionary::CharForm()> charForm);

    void setFavoritesStore(favorites::FavoritesStore* store) { favorites_ = store; }
    // "Speak" is enabled only while a speech voice exists.
    void setSpeechAvailable(bool available);

    // Fills the whole panel with an entry (a result row or a bare character).
    void showEntry(const PanelEntry& entry);
    // The per-character area for character `index` of the headword.
    void showCharacter(size_t index);
    // The fields' font and the two character displays' font, by cell height.
    void setFontHeights(int fieldHeight, int characterHeight);
    // Places the fields for the panel's bottom edge (window pixels). The
    // panel's own place is set first; where a taller top bar has moved it
    // down, the fields move with it.
    void layOut(int windowPanelBottom);

    // F2: hands the focused field's selection (or the headword) to
    // data/quorvex when that program exists. Returns the argument given, or
    // an empty text when nothing was started.
    QString handToCompanion(QWidget* focus);

    // What "Speak" reads: the whole headword (the menu was opened on the
    // headword) or the chosen character (opened on the character display).
    enum class SpeakMode { Headword = 1, Character = 2 };

    // The short menu ("Lookup this character", "Find characters based on
    // this character") for a character, at a screen position.
    void openShortMenu(char16_t character, QPoint globalPosition);
    // The character menu for the stroke-order box's character ("Speak"
    // speaks that character).
    void openStrokeBoxMenu(char16_t character, QPoint globalPosition) {
        openCharacterMenu(character, SpeakMode::Character, globalPosition);
    }

    QLineEdit& headwordDisplay() { return *headword_; }
    QLineEdit& characterDisplay() { return *character_; }
    // Pinyin line, entry information box, character pinyin line, character
    // information box.
    std::array<QTextEdit*, 4> fields() const {
        return {pinyin_, entryInfo_, charPinyin_, charInfo_};
    }
    QWidget& indicator();
    QMenu& characterMenu() { return *characterMenu_; }
    QMenu& shortMenu() { return *shortMenu_; }
    const PanelEntry& entry() const { return entry_; }
    char16_t chosenCharacter() const { return chosen_; }
    int strokeBoxTop() const { return strokeBoxTop_; }

    // Toggles the favorite state of the headword (or of the current
    // character), as a click in the indicator's corner does.
    void toggleFavorite(bool headword);

    // The character of a rich-text field under a point of its viewport, or 0.
    static char16_t characterAt(const QTextEdit& field, QPoint viewportPoint);
    // The index of the headword display's character under a point, or -1.
    static int characterIndexAt(QLineEdit& field, QPoint point);

  signals:
    void lookupRequested(char16_t character);
    // Connected by the component search.
    void findCharactersRequested(char16_t character);
    // Connected by the stroke animation's editor hand-off.
    void editStrokesRequested(char16_t character);
    // The stroke-order box should animate this character.
    void animationRequested(char16_t character);
    void speakRequested(const QString& text);
    // The headword's stored value changed (favorite toggled).
    void headwordValueChanged(int value);
    // A character's favorite state changed by `delta` (±100).
    void characterValueChanged(char16_t character, int delta);
    // A word was just made a favorite (for the tracked word list).
    void favoriteAdded(const QString& word);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Places a child at a rectangle given in window pixels of a window whose
    // top bar has one row.
    void place(QWidget* widget, int x, int y, int width, int height);
    void buildMenus();
    void openCharacterMenu(char16_t character, SpeakMode speakMode, QPoint globalPosition);
    void setColour(QLineEdit& field, uint32_t rgb);
    void showIndicatorOver(QLineEdit& field);
    PanelData data() const;

    QWidget* window_;
    std::filesystem::path dir_;
    const dictionary::WordValueLookup& values_;
    std::function<dictionary::CharForm()> charForm_;
    favorites::FavoritesStore* favorites_ = nullptr;
    TranslationRenderer renderer_;

    QLineEdit* headword_ = nullptr;
    QLineEdit* character_ = nullptr;
    QTextEdit* pinyin_ = nullptr;
    QTextEdit* entryInfo_ = nullptr;
    QTextEdit* charPinyin_ = nullptr;
    QTextEdit* charInfo_ = nullptr;
    ui::FavoriteIndicator* indicator_ = nullptr;
    QLineEdit* indicatorOver_ = nullptr;
    QMenu* characterMenu_ = nullptr;
    QMenu* shortMenu_ = nullptr;
    QAction* speak_ = nullptr;

    PanelEntry entry_;
    int characterValue_ = -1;
    char16_t current_ = 0;
    char16_t chosen_ = 0;
    SpeakMode speakMode_ = SpeakMode::Headword;
    int panelBottom_ = 446;
    int strokeBoxTop_ = 45;
};

// Shows the favorites store's one diagnostic as a message box.
class FavoritesMessageBox : public favorites::FavoritesMessages {
  public:
    void showMessage(std::u16string_view caption, std::u16string_view text) override;
};

}  // namespace tulvo::characters
