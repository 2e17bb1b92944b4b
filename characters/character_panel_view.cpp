#include "characters/character_panel_view.hpp"

#include <QAbstractTextDocumentLayout>
#include <QEvent>
#include <QMouseEvent>
#include <QProcess>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

#include "ui/favorite_indicator.hpp"
#include "ui/fonts.hpp"
#include "ui/message_box.hpp"
#include "ui/text.hpp"

namespace tulvo::characters {
namespace {

using ui::toQString;
using ui::toUnits;

// 400 twips at 96 pixels per inch.
constexpr int kTranslationIndent = 27;

void showRichText(QTextEdit& field, const RichText& text) {
    field.clear();
    QTextCursor cursor(field.document());
    QTextBlockFormat plain;
    plain.setLeftMargin(0);
    cursor.setBlockFormat(plain);
    for (const TextRun& run : text) {
        QTextCharFormat format;
        format.setFontItalic(run.italic);
        if (run.indented) {
            QTextBlockFormat block = cursor.blockFormat();
            block.setLeftMargin(kTranslationIndent);
            cursor.setBlockFormat(block);
        }
        const QString units = toQString(run.text);
        qsizetype start = 0;
        for (qsizetype i = 0; i <= units.size(); ++i) {
            if (i < units.size() && units[i] != QChar(u'\r')) continue;
            if (i > start) cursor.insertText(units.mid(start, i - start), format);
            if (i < units.size()) cursor.insertBlock();
            start = i + 1;
        }
    }
    field.verticalScrollBar()->setValue(0);
}

QColor fromRgb(uint32_t rgb) {
    return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

}  // namespace

CharacterPanelView::CharacterPanelView(QWidget* window, std::filesystem::path programDirectory,
                                       const dictionary::WordValueLookup& values,
                                       std::function<dictionary::CharForm()> charForm)
    : QWidget(window),
      window_(window),
      dir_(std::move(programDirectory)),
      values_(values),
      charForm_(std::move(charForm)) {
    const auto makeField = [&] {
        auto* field = new QTextEdit(this);
        field->setReadOnly(true);
        field->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        field->setFrameShape(QFrame::NoFrame);
        field->document()->setDocumentMargin(1);
        field->setContextMenuPolicy(Qt::NoContextMenu);
        field->viewport()->installEventFilter(this);
        return field;
    };
    pinyin_ = makeField();
    entryInfo_ = makeField();
    charPinyin_ = makeField();
    charInfo_ = makeField();

    headword_ = new QLineEdit(this);
    character_ = new QLineEdit(this);
    for (QLineEdit* field : {headword_, character_}) {
        field->setReadOnly(true);
        field->setFrame(false);
        field->setTextMargins(0, 0, 0, 0);
        field->setContextMenuPolicy(Qt::NoContextMenu);
        field->setAttribute(Qt::WA_Hover);
        field->installEventFilter(this);
    }
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    // At the panel's place until the window lays it out.
    setGeometry(4, 42, 304, 400);
    place(headword_, 7, 48, 300, 55);
    place(character_, 7, 250, 100, 55);
    indicator_ = new ui::FavoriteIndicator(this);

    buildMenus();
    layOut(panelBottom_);
}

void CharacterPanelView::setFontHeights(int fieldHeight, int characterHeight) {
    for (QTextEdit* field : fields()) field->setFont(ui::panelFont(fieldHeight));
    headword_->setFont(ui::characterFont(characterHeight));
    character_->setFont(ui::characterFont(characterHeight));
}

QWidget& CharacterPanelView::indicator() {
    return *indicator_;
}

void CharacterPanelView::buildMenus() {
    characterMenu_ = new QMenu(window_);
    speak_ = characterMenu_->addAction(QStringLiteral("Speak"), this, [this] {
        if (speakMode_ == SpeakMode::Headword)
            emit speakRequested(headword_->text());
        else if (chosen_ != 0)
            emit speakRequested(QString(QChar(chosen_)));
    });
    // Until a speech voice exists "Speak" does nothing.
    speak_->setEnabled(false);
    shortMenu_ = new QMenu(window_);
    for (QMenu* menu : {characterMenu_, shortMenu_}) {
        menu->addAction(QStringLiteral("Lookup this character"), this, [this] {
            if (chosen_ != 0) emit lookupRequested(chosen_);
        });
        menu->addAction(QStringLiteral("Find characters based on this character"), this, [this] {
            if (chosen_ != 0) emit findCharactersRequested(chosen_);
        });
    }
    characterMenu_->addAction(QStringLiteral("Edit strokes animation"), this, [this] {
        if (chosen_ != 0) emit editStrokesRequested(chosen_);
    });
}

void CharacterPanelView::setSpeechAvailable(bool available) {
    speak_->setEnabled(available);
}

PanelData CharacterPanelView::data() const {
    return PanelData{dir_, &values_, charForm_ ? charForm_() : dictionary::kBothForms};
}

void CharacterPanelView::setColour(QLineEdit& field, uint32_t rgb) {
    QPalette palette = field.palette();
    palette.setColor(QPalette::Text, fromRgb(rgb));
    field.setPalette(palette);
}

namespace {
// The panel's top under a top bar of one row; the places below are window
// pixels of that window.
constexpr int kPanelTop = 42;
}  // namespace

void CharacterPanelView::place(QWidget* widget, int x, int y, int width, int height) {
    widget->setGeometry(x - this->x(), y - kPanelTop, width, height);
}

void CharacterPanelView::layOut(int windowPanelBottom) {
    panelBottom_ = windowPanelBottom;
    // A taller top bar moves the panel, and everything in it, down.
    const int shift = y() - kPanelTop;
    const int panelBottom = windowPanelBottom - shift;
    const bool several = entry_.headword.size() > 1;
    headword_->setVisible(true);
    if (!several) {
        // One character: the stroke-order box stands beside it.
        place(headword_, 7, 45, 100, 55);
        strokeBoxTop_ = 45 + shift;
        place(pinyin_, 10, 102, 188, 28);
        place(entryInfo_, 10, 146, 291, std::max(28, panelBottom - 146));
    } else {
        const int characterTop = std::max(230, panelBottom - 196);
        place(headword_, 7, 42, 300, 55);
        place(pinyin_, 10, 99, 291, 28);
        place(entryInfo_, 10, 129, 291, std::max(28, characterTop - 10 - 129));
        place(character_, 7, characterTop, 100, 55);
        place(charPinyin_, 10, characterTop + 57, 188, 28);
        place(charInfo_, 10, characterTop + 102, 291,
              std::max(28, panelBottom - characterTop - 102));
        strokeBoxTop_ = characterTop + shift;
    }
    for (QWidget* w : std::initializer_list<QWidget*>{character_, charPinyin_, charInfo_})
        w->setVisible(several);
}

void CharacterPanelView::showEntry(const PanelEntry& entry) {
    entry_ = entry;
    indicator_->hide();
    layOut(panelBottom_);
    headword_->setText(toQString(entry_.headword));
    headword_->setCursorPosition(0);
    pinyin_->setPlainText(toQString(entry_.pinyin));
    setColour(*headword_, headwordDisplayColour(entry_.value));
    showRichText(*entryInfo_, entryInformation(entry_, data(), renderer_));
    if (entry_.headword.size() > 1)
        showCharacter(0);
    else
        current_ = entry_.headword.empty() ? 0 : entry_.headword[0];
    if (current_ != 0) emit animationRequested(current_);
}

void CharacterPanelView::showCharacter(size_t index) {
    if (index >= entry_.headword.size()) return;
    const CharacterView view =
        characterView(entry_.headword, entry_.pinyin, index, data(), renderer_);
    current_ = view.character;
    characterValue_ = view.value;
    character_->setText(QString(QChar(current_)));
    charPinyin_->setPlainText(toQString(view.syllable));
    setColour(*character_, characterDisplayColour(view.value));
    showRichText(*charInfo_, view.information);
}

void CharacterPanelView::toggleFavorite(bool headword) {
    const std::u16string word = headword ? entry_.headword : std::u16string(1, current_);
    if (word.empty() || word[0] == 0) return;
    int& value = headword ? entry_.value : characterValue_;
    const bool wasFavorite = dictionary::isFavoriteValue(value);
    if (favorites_) {
        // A change the store could not write is not shown: the colours keep
        // telling what the file holds.
        const auto result = wasFavorite ? favorites_->remove(word) : favorites_->add(word);
        if (result == favorites::FavoritesStore::Change::Failed) return;
    }
    value = toggledValue(value);
    if (headword) {
        setColour(*headword_, headwordDisplayColour(value));
        emit headwordValueChanged(value);
    } else {
        setColour(*character_, characterDisplayColour(value));
        emit characterValueChanged(
            current_, wasFavorite ? dictionary::kFavoriteMark : -dictionary::kFavoriteMark);
    }
    indicator_->setFavorite(dictionary::isFavoriteValue(value));
    if (!wasFavorite) emit favoriteAdded(toQString(word));
}

void CharacterPanelView::showIndicatorOver(QLineEdit& field) {
    if (headword_->text().isEmpty()) return;
    indicatorOver_ = &field;
    const int value = &field == headword_ ? entry_.value : characterValue_;
    indicator_->setFavorite(dictionary::isFavoriteValue(value));
    indicator_->move(field.pos());
    indicator_->show();
    indicator_->raise();
}

int CharacterPanelView::characterIndexAt(QLineEdit& field, QPoint point) {
    // The nearest boundary to a point half a character to the left is the
    // start of the character under the point.
    const QString text = field.text();
    if (text.isEmpty()) return -1;
    const int half = field.fontMetrics().horizontalAdvance(text.at(0)) / 2;
    const int index = field.cursorPositionAt(point - QPoint(half, 0));
    return index >= 0 && index < text.size() ? index : -1;
}

char16_t CharacterPanelView::characterAt(const QTextEdit& field, QPoint viewportPoint) {
    QTextCursor cursor = field.cursorForPosition(viewportPoint);
    int position = cursor.position();
    if (viewportPoint.x() < field.cursorRect(cursor).x()) --position;
    const QChar c = field.document()->characterAt(position);
    return c.unicode() >= 0x4000 ? c.unicode() : 0;
}

void CharacterPanelView::openCharacterMenu(char16_t character, SpeakMode speakMode,
                                           QPoint globalPosition) {
    if (character == 0) return;
    chosen_ = character;
    speakMode_ = speakMode;
    characterMenu_->popup(globalPosition);
}

void CharacterPanelView::openShortMenu(char16_t character, QPoint globalPosition) {
    if (character == 0) return;
    chosen_ = character;
    shortMenu_->popup(globalPosition);
}

bool CharacterPanelView::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == headword_ || watched == character_) {
        auto& field = *static_cast<QLineEdit*>(watched);
        const bool isHeadword = &field == headword_;
        if (type == QEvent::Enter || type == QEvent::HoverEnter) {
            showIndicatorOver(field);
        } else if (type == QEvent::Leave || type == QEvent::HoverLeave) {
            if (indicatorOver_ == &field) indicator_->hide();
        } else if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            const QPoint at = mouse->position().toPoint();
            const int index = isHeadword ? characterIndexAt(field, at) : -1;
            if (type == QEvent::MouseButtonDblClick && mouse->button() == Qt::LeftButton) {
                const char16_t c =
                    isHeadword ? (index >= 0 ? entry_.headword[size_t(index)] : 0) : current_;
                if (c != 0) emit lookupRequested(c);
                return true;
            }
            if (mouse->button() == Qt::LeftButton) {
                if (indicator_->isVisible() && indicatorOver_ == &field &&
                    at.x() < ui::kIndicatorSize && at.y() < ui::kIndicatorSize) {
                    toggleFavorite(isHeadword);
                    return true;
                }
                if (isHeadword && index >= 0 && character_->isVisible()) {
                    showCharacter(size_t(index));
                    emit animationRequested(current_);
                }
            } else if (mouse->button() == Qt::RightButton) {
                if (isHeadword) {
                    if (index >= 0)
                        openCharacterMenu(entry_.headword[size_t(index)], SpeakMode::Headword,
                                          mouse->globalPosition().toPoint());
                } else {
                    openCharacterMenu(current_, SpeakMode::Character,
                                      mouse->globalPosition().toPoint());
                }
                return true;
            }
        }
        return false;
    }
    for (QTextEdit* box : {entryInfo_, charInfo_}) {
        if (watched != box->viewport()) continue;
        if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick) return false;
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const char16_t c = characterAt(*box, mouse->position().toPoint());
        if (type == QEvent::MouseButtonDblClick && mouse->button() == Qt::LeftButton && c != 0) {
            emit lookupRequested(c);
            return true;
        }
        if (type == QEvent::MouseButtonPress && mouse->button() == Qt::RightButton) {
            openShortMenu(c, mouse->globalPosition().toPoint());
            return true;
        }
        return false;
    }
    return false;
}

QString CharacterPanelView::handToCompanion(QWidget* focus) {
    const std::filesystem::path program = dir_ / "data" / "quorvex";
    std::error_code error;
    if (!std::filesystem::is_regular_file(program, error)) return {};
    QString text;
    if (focus == entryInfo_ || focus == charInfo_ || focus == entryInfo_->viewport() ||
        focus == charInfo_->viewport()) {
        const QTextEdit* box =
            focus == entryInfo_ || focus == entryInfo_->viewport() ? entryInfo_ : charInfo_;
        text = box->textCursor().selectedText();
    } else if (focus == headword_ || focus == character_) {
        const auto* field = static_cast<QLineEdit*>(focus);
        if (field->hasSelectedText()) {
            const int start = std::min<int>(field->selectionStart(), 50);
            const int end = std::min<int>(field->selectionEnd(), 50);
            text = field->text().mid(start, end - start);
        }
    }
    text.replace(QChar(0x2029), QChar(u'\r'));  // paragraph ends of a rich-text selection
    if (text.isEmpty()) text = headword_->text().left(50);
    if (text.isEmpty()) return {};
    const QString argument = QString::fromLatin1(companionArgument(toUnits(text)));
    QProcess::startDetached(QString::fromStdString(program.string()), {argument},
                            QString::fromStdString(dir_.string()));
    return argument;
}

void FavoritesMessageBox::showMessage(std::u16string_view caption, std::u16string_view text) {
    ui::tell(toQString(caption), toQString(text));
}

}  // namespace tulvo::characters
