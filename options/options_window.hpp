// The options window: four tabs over the settings of data/options.txt, the
// favorite list imports and the update checker. Closing it writes the
// settings file and ends the program.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QWidget>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "characters/freq_file.hpp"
#include "favorites/favorites_store.hpp"
#include "favorites/file_preview_dialog.hpp"
#include "options/options_file.hpp"
#include "options/update_checker.hpp"

namespace tulvo::options {

class OptionsWindow : public QWidget, public UpdateView, public UpdateSystem {
    Q_OBJECT
  public:
    enum Tab { General, Popup, Favorites, Updates };

    OptionsWindow(std::filesystem::path programDirectory, std::string installedVersion,
                  UpdateHttp& http, UpdateAddresses addresses);
    ~OptionsWindow() override;

    // The controls' state, and putting a state into them.
    OptionsState state() const;
    void setState(const OptionsState& state);
    // Writes data/options.txt from the controls.
    bool save() const;

    void selectTab(Tab tab);
    // The two "Select file..." buttons, for a file already chosen.
    void importFile(const QString& path, bool track);

    // The favorite words as flashcards, written to `path`: for Anki's text
    // import, or as CSV. Tells the user how it went; false on failure.
    enum class FlashcardFormat { Anki, Csv };
    bool exportFlashcards(FlashcardFormat format, const QString& path);

    // Where the window asks for a file and shows a message; replaceable.
    std::function<QString()> chooseFile;
    // Where the window asks for the file an export goes to (a suggested name
    // given); replaceable.
    std::function<QString(const QString& suggested)> chooseExportFile;
    std::function<void(const QString&)> showMessage;
    // A message of the favorites store, with its own caption.
    std::function<void(const QString& caption, const QString& text)> showStoreMessage;

    // UpdateView
    void setLine(UpdateGroup group, int line, const std::string& text) override;
    void setDownloadEnabled(bool enabled) override;
    // UpdateSystem
    void runAndWait(const std::filesystem::path& program,
                    const std::filesystem::path& workingDirectory) override;
    bool sendToPopupMessenger(uint32_t message) override;
    void pause(int milliseconds) override;

    // For tests and screenshots.
    QTabWidget& tabs() { return *tabs_; }
    QComboBox& hotkeyList() { return *hotkey_; }
    QRadioButton& fontSizeButton(int i) { return *fontSize_[size_t(i)]; }
    QCheckBox& popupCheck() { return *popupEnabled_; }
    QPlainTextEdit& applicationsBox() { return *applications_; }
    QLineEdit& pathBox() { return *trackPath_; }
    QCheckBox& trackCheck() { return *track_; }
    QLabel& updateLine(UpdateGroup group, int line);
    QPushButton& downloadButton() { return *download_; }
    QPushButton& websiteButton() { return *website_; }
    favorites::FilePreviewDialog& preview() { return *preview_; }
    // The canvas of a tab's page, in the window's coordinates.
    QWidget& page(Tab tab) { return *pages_[size_t(tab)]; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    class ResponsiveHttp;

    void buildGeneral();
    void buildPopup();
    void buildFavorites();
    void buildUpdates();
    void placePages();
    void enablePopupControls();
    void importClicked(bool track);
    void exportClicked(FlashcardFormat format);
    QGroupBox* groupBox(Tab tab, const QString& title, int x, int y, int w, int h);
    QLabel* label(QWidget* parent, const QString& text, int x, int y, int w, int h,
                  bool wrap = true);

    std::filesystem::path dir_;
    std::string installed_;
    std::unique_ptr<favorites::FavoritesMessages> favoritesMessages_;
    characters::FreqFile freq_;
    favorites::FavoritesStore favorites_;
    std::unique_ptr<favorites::FilePreviewDialog> preview_;
    std::unique_ptr<UpdateHttp> http_;
    UpdateChecker checker_;
    // A check or update is running (the window stays live meanwhile).
    bool updating_ = false;
    int trackEncoding_ = -1;
    bool importing_ = false;

    QScrollArea* scroller_ = nullptr;
    // The window's controls, at the window's coordinates when not scrolled.
    QWidget* canvas_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    std::array<QWidget*, 4> pages_{};
    std::array<QRadioButton*, 3> fontSize_{};
    QRadioButton* showPad_ = nullptr;
    QRadioButton* hidePad_ = nullptr;
    QRadioButton* simplified_ = nullptr;
    QRadioButton* traditional_ = nullptr;
    QComboBox* hotkey_ = nullptr;
    QCheckBox* popupEnabled_ = nullptr;
    QGroupBox* popupPrograms_ = nullptr;
    QGroupBox* popupExclusionsGroup_ = nullptr;
    QPlainTextEdit* applications_ = nullptr;
    QPlainTextEdit* alternate_ = nullptr;
    QPlainTextEdit* exclusions_ = nullptr;
    QCheckBox* flash_ = nullptr;
    QCheckBox* pdf_ = nullptr;
    QCheckBox* track_ = nullptr;
    QLineEdit* trackPath_ = nullptr;
    QCheckBox* updateBack_ = nullptr;
    std::array<QLabel*, 6> updateLines_{};
    QPushButton* website_ = nullptr;
    QPushButton* download_ = nullptr;
    UpdateAddresses addresses_;
};

}  // namespace tulvo::options
