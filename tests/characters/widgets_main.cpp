// Widget tests of the character windows run under the offscreen platform.
#include <gtest/gtest.h>
#include <QApplication>
#include <QFont>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QFont::insertSubstitutions(QStringLiteral("Arial Unicode MS"),
                               {QStringLiteral("Noto Sans CJK SC")});
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
