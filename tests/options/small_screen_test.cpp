// The windows taller than 500 pixels on a screen of 800 x 500 logical pixels
// (the offscreen platform's screen of the configuration file CTest names, at
// scale 1 and at scale 2): each window's frame lies in the screen's available
// area, and every control it shows lies there whole, or is brought there by
// the scroll area it lies in.
#include <gtest/gtest.h>
#include <QAbstractItemView>
#include <QScreen>
#include <QScrollArea>
#include <QTest>
#include <QTimer>

#include "characters/radical_window.hpp"
#include "favorites/file_preview_dialog.hpp"
#include "options/options_window.hpp"
#include "tests/support/character_files.hpp"
#include "tests/support/layout_checks.hpp"
#include "tests/support/temp_dir.hpp"

using namespace tulvo;
using tulvo::testing::TempDir;

namespace {

std::string describe(const QWidget& w, QRect global) {
    return tulvo::testing::layout_detail::nameOf(w) + " shown at " + std::to_string(global.x()) +
           "," + std::to_string(global.y()) + " " + std::to_string(global.width()) + "x" +
           std::to_string(global.height());
}

// A control the user works with; a scroll area holding a canvas of controls
// is not one, the canvas's controls are.
bool isControl(const QWidget& w) {
    const auto* area = qobject_cast<const QScrollArea*>(&w);
    return tulvo::testing::layout_detail::isControl(w) && !(area && area->widget());
}

// Every shown control of `window` that cannot be brought whole into the
// screen's available area, one line each; the window's frame first.
std::vector<std::string> unreachable(QWidget& window) {
    std::vector<std::string> faults;
    const QRect area = window.screen()->availableGeometry();
    if (!area.contains(window.frameGeometry()))
        faults.push_back("the frame " + describe(window, window.frameGeometry()));
    for (QWidget* control : window.findChildren<QWidget*>()) {
        if (!control->isVisible() || control->isWindow() || !isControl(*control)) continue;
        bool inner = false;  // a part of a control, the control's own business
        for (QWidget* up = control->parentWidget(); up != &window; up = up->parentWidget())
            inner = inner || isControl(*up);
        if (inner) continue;
        for (QWidget* up = control->parentWidget(); up != &window; up = up->parentWidget())
            if (auto* scroller = qobject_cast<QScrollArea*>(up))
                scroller->ensureWidgetVisible(control, 0, 0);
        // What every ancestor leaves of it on the screen.
        const QRect global(control->mapToGlobal(QPoint(0, 0)), control->size());
        QRect seen = global & area;
        for (QWidget* up = control->parentWidget(); up; up = up->parentWidget())
            seen &= QRect(up->mapToGlobal(QPoint(0, 0)), up->size());
        if (seen != global) faults.push_back(describe(*control, global));
        // A list's last row can be scrolled to.
        if (auto* view = qobject_cast<QAbstractItemView*>(control);
            view && view->model() && view->model()->rowCount() > 0) {
            const QModelIndex last = view->model()->index(view->model()->rowCount() - 1, 0);
            view->scrollTo(last);
            if (!view->viewport()->rect().contains(view->visualRect(last)))
                faults.push_back(describe(*control, global) + ": its last row is out of reach");
            view->scrollToTop();
        }
    }
    return faults;
}

class NoNetwork : public options::UpdateHttp {
  public:
    std::optional<std::string> get(const std::string&) override { return std::nullopt; }
    std::string lastModifiedDate(const std::string&) override { return {}; }
};

TEST(SmallScreen, TheScreenIsEightHundredByFiveHundredLogicalPixels) {
    // The configuration CTest gives this test; a normal screen would prove nothing.
    EXPECT_EQ(QGuiApplication::primaryScreen()->availableGeometry(), QRect(0, 0, 800, 500));
}

TEST(SmallScreen, EveryTabOfTheOptionsWindowIsReachable) {
    TempDir dir;
    std::filesystem::create_directories(dir / "data");
    NoNetwork http;
    options::OptionsWindow window(dir.path(), "version 2.1a", http,
                                  options::UpdateAddresses{"v", "a", "w", "site"});
    window.showMessage = [](const QString&) {};
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(50);  // the placement once the frame is known
    for (int tab = 0; tab < window.tabs().count(); ++tab) {
        window.tabs().setCurrentIndex(tab);
        QCoreApplication::processEvents();
        EXPECT_EQ(unreachable(window), std::vector<std::string>{}) << "tab " << tab;
    }
}

TEST(SmallScreen, ThePreviewKeepsItsEncodingsAndButtonsInTheWindow) {
    favorites::FilePreviewDialog dialog;
    std::vector<std::string> faults;
    QRect buttons;
    QTimer::singleShot(0, &dialog, [&] {
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        QTest::qWait(50);
        faults = unreachable(dialog);
        buttons = QRect(dialog.okButton().mapTo(&dialog, QPoint(0, 0)), dialog.okButton().size());
        QTest::mouseClick(&dialog.cancelButton(), Qt::LeftButton);
    });
    const int codePage =
        dialog.choose("\xe4\xbd\xa0\xe5\xa5\xbd\r\n", {{u"UTF-8", 65001}, {u"GBK", 936}}, 0);
    EXPECT_EQ(codePage, -1);  // the Cancel button was there to be clicked
    EXPECT_EQ(faults, std::vector<std::string>{});
    // Reachable without scrolling: the preview box gave up the height.
    EXPECT_LE(buttons.bottom(), dialog.height());
    EXPECT_LT(dialog.preview().height(), 300);
}

TEST(SmallScreen, BothTabsOfTheRadicalWindowAreReachable) {
    TempDir dir;
    // Every line of strokes holds radicals: more rows than the window shows.
    std::vector<std::vector<std::u16string>> lines(17);
    for (int i = 0; i < 80; ++i) lines[0].push_back(std::u16string(1, char16_t(0x2F00 + i)));
    for (int i = 1; i < 17; ++i) lines[size_t(i)] = {std::u16string(1, char16_t(0x2F50 + i))};
    lines[2] = {u"女", u"子"};
    dir.write("data/radicals.txt", characters::radicalsFileBytes(lines));
    dir.write("data/chartypes.txt",
              tulvo::testing::charTypesFile({{u'好', 6, characters::kFormBoth}}));
    dir.write("data/components.dat", tulvo::testing::componentsFile({{u'好', u'女', 3}}));
    std::vector<std::vector<char16_t>> lists(97);
    lists[81] = {u'好'};
    dir.write("data/multiradix.dat", characters::multiradixBytes(lists));

    characters::RadicalWindow window(
        dir.path(), [](char16_t) { return -1; }, [] { return dictionary::kBothForms; });
    window.openWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(50);
    for (int tab : {0, 1}) {
        window.tabs().setCurrentIndex(tab);
        QCoreApplication::processEvents();
        EXPECT_EQ(unreachable(window), std::vector<std::string>{}) << "tab " << tab;
    }
}

}  // namespace
