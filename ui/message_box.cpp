#include "ui/message_box.hpp"

namespace tulvo::ui {

void tell(const QString& caption, const QString& text, QWidget* parent, QMessageBox::Icon icon) {
    QMessageBox box(icon, caption, text, QMessageBox::Ok, parent);
    box.raise();
    box.activateWindow();
    box.exec();
}

}  // namespace tulvo::ui
