// What a user meets in a window's fixed layout: no control covers another,
// none sticks out of its parent, every text is whole in its box.
#pragma once

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QTabBar>
#include <QTabWidget>
#include <QWidget>
#include <string>
#include <vector>

namespace tulvo::testing {

namespace layout_detail {

inline std::string nameOf(const QWidget& w) {
    QString text;
    if (auto* label = qobject_cast<const QLabel*>(&w)) text = label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(&w)) text = button->text();
    if (auto* group = qobject_cast<const QGroupBox*>(&w)) text = group->title();
    const QRect r = w.geometry();
    return std::string(w.metaObject()->className()) + " \"" + text.left(30).toStdString() +
           "\" at " + std::to_string(r.x()) + "," + std::to_string(r.y()) + " " +
           std::to_string(r.width()) + "x" + std::to_string(r.height());
}

// Qt's own controls are leaves: their inner parts are Qt's business.
inline bool isControl(const QWidget& w) {
    for (const char* name : {"QAbstractButton", "QLabel", "QComboBox", "QAbstractScrollArea",
                             "QLineEdit", "QAbstractSpinBox", "QAbstractSlider", "QTabBar"})
        if (w.inherits(name)) return true;
    return false;
}

// The room a control gives its text against the text's extent; empty when it fits.
inline std::string textFault(const QWidget& w) {
    const QFontMetrics metrics = w.fontMetrics();
    const auto tooSmall = [&](QSize room, QSize need) {
        return need.width() > room.width() || need.height() > room.height()
                   ? nameOf(w) + " needs " + std::to_string(need.width()) + "x" +
                         std::to_string(need.height()) + ", has " + std::to_string(room.width()) +
                         "x" + std::to_string(room.height())
                   : std::string();
    };
    if (auto* label = qobject_cast<const QLabel*>(&w)) {
        if (label->text().isEmpty()) return {};
        const QRect room = label->contentsRect().marginsRemoved(
            QMargins(label->margin(), label->margin(), label->margin(), label->margin()));
        const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
        return tooSmall(room.size(), metrics.boundingRect(room, flags, label->text()).size());
    }
    if (auto* button = qobject_cast<const QAbstractButton*>(&w)) {
        if (button->text().isEmpty()) return {};
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const QStyle::SubElement contents = w.inherits("QCheckBox") ? QStyle::SE_CheckBoxContents
                                            : w.inherits("QRadioButton")
                                                ? QStyle::SE_RadioButtonContents
                                                : QStyle::SE_PushButtonContents;
        const QRect room = w.style()->subElementRect(contents, &option, button);
        return tooSmall(QSize(room.width(), w.height()),
                        QSize(metrics.horizontalAdvance(button->text()), metrics.height()));
    }
    if (auto* box = qobject_cast<const QComboBox*>(&w)) {
        QStyleOptionComboBox option;
        option.initFrom(box);
        option.editable = box->isEditable();
        const QRect room = w.style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                     QStyle::SC_ComboBoxEditField, box);
        int widest = 0;
        for (int i = 0; i < box->count(); ++i)
            widest = std::max(widest, metrics.horizontalAdvance(box->itemText(i)));
        return tooSmall(QSize(room.width(), w.height()), QSize(widest, metrics.height()));
    }
    return {};
}

// `visible`: the part of the window that the parent's ancestors leave
// shown, in the window's coordinates.
inline void collect(const QWidget& window, const QWidget& parent, QRect visible, bool textsOnly,
                    std::vector<std::string>& faults) {
    std::vector<const QWidget*> shown;
    for (const QObject* object : parent.children()) {
        auto* child = qobject_cast<const QWidget*>(object);
        if (!child || child->isWindow() || !child->isVisibleTo(&parent)) continue;
        const QRect inWindow(child->mapTo(&window, QPoint(0, 0)), child->size());
        // A bare canvas may reach beyond its parent; what it shows may not.
        const bool seen = isControl(*child) || qobject_cast<const QGroupBox*>(child);
        if (seen && !textsOnly && !visible.contains(inWindow))
            faults.push_back(nameOf(*child) + " is partly hidden");
        // A tab control or a bare frame lies under the controls laid over it.
        if (!textsOnly && !qobject_cast<const QTabWidget*>(child) &&
            std::string(child->metaObject()->className()) != "QFrame") {
            for (const QWidget* other : shown)
                if (child->geometry().intersects(other->geometry()))
                    faults.push_back(nameOf(*child) + " overlaps " + nameOf(*other));
            shown.push_back(child);
        }
        if (isControl(*child)) {
            if (std::string fault = textFault(*child); !fault.empty()) faults.push_back(fault);
        } else {
            collect(window, *child, visible & inWindow, textsOnly, faults);
        }
    }
}

}  // namespace layout_detail

// Every fault of the window's shown controls, one line each; empty when none.
inline std::vector<std::string> layoutFaults(const QWidget& window) {
    std::vector<std::string> faults;
    layout_detail::collect(window, window, window.rect(), false, faults);
    return faults;
}

// Only the texts that do not fit their controls.
inline std::vector<std::string> textFaults(const QWidget& window) {
    std::vector<std::string> faults;
    layout_detail::collect(window, window, window.rect(), true, faults);
    return faults;
}

}  // namespace tulvo::testing
