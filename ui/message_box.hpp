// The plain message box of the programs: a caption, a text and "OK", raised
// over the other windows and waited for.
#pragma once

#include <QMessageBox>
#include <QString>

namespace tulvo::ui {

void tell(const QString& caption, const QString& text, QWidget* parent = nullptr,
          QMessageBox::Icon icon = QMessageBox::NoIcon);

// The same with the caption "Tulvo".
inline void tell(const QString& text, QWidget* parent = nullptr) {
    tell(QStringLiteral("Tulvo"), text, parent);
}

}  // namespace tulvo::ui
