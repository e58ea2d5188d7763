// One main() for every test binary: a QApplication (offscreen unless a display
// platform is chosen), the same face substitutions as the programs.
#include "seal/Fonts.h"
#include <QApplication>
#include <gtest/gtest.h>
#include <cstdlib>

int main(int argc, char** argv)
{
    // Test discovery runs the binary at build time without the test's
    // environment; without a display the xcb plugin would abort.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    plomet::installFaceSubstitutions();
    return RUN_ALL_TESTS();
}
