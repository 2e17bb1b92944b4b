// Another program for the hotkey test: a window whose text field holds the
// text of its argument, all selected, so that Ctrl+C copies it.
#include <QApplication>
#include <QLineEdit>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLineEdit edit(argc > 1 ? QString::fromUtf8(argv[1]) : QString());
    edit.setWindowTitle(QStringLiteral("copy-source"));
    edit.resize(300, 40);
    edit.move(600, 600);
    edit.show();
    edit.selectAll();
    return app.exec();
}
