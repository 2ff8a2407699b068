// Shared main for tests that need a Qt application object. The object lives for the whole run,
// so tests can spin the event loop (QTest::qWait, QSignalSpy::wait).
#include <gtest/gtest.h>

#include <cstdio>

#if defined(QS_TEST_MAIN_GUI)
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

#if defined(QS_TEST_MAIN_GUI)
namespace {

// Which face "monospace" gives, and whether Qt calls it fixed pitch, is the machine's business (Noto
// Sans Mono, say, is not reported as fixed pitch): the GUI tests draw code in the mono font they
// ship, and plain text in DejaVu Sans, which the project installs. A fontconfig configuration of
// their own says so, on top of the one in force. It must be set before Qt reads the fonts.
bool useTestFonts(const QTemporaryDir& dir) {
    const QByteArray inForce = qEnvironmentVariableIsSet("FONTCONFIG_FILE")
                                   ? qgetenv("FONTCONFIG_FILE")
                                   : QByteArrayLiteral("/etc/fonts/fonts.conf");
    QByteArray configuration = QByteArrayLiteral(R"(<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <include ignore_missing="yes">IN_FORCE</include>
  <dir>SHIPPED_FONTS</dir>
  <match target="pattern">
    <test name="family"><string>monospace</string></test>
    <edit name="family" mode="prepend_first" binding="strong"><string>Go Mono</string></edit>
  </match>
  <match target="pattern">
    <test name="family"><string>sans-serif</string></test>
    <edit name="family" mode="prepend_first" binding="strong"><string>DejaVu Sans</string></edit>
  </match>
</fontconfig>
)");
    configuration.replace("IN_FORCE", inForce).replace("SHIPPED_FONTS", QS_TEST_FONTS_DIR);
    QFile file(dir.filePath(QStringLiteral("fonts.conf")));
    if (!dir.isValid() || !file.open(QIODevice::WriteOnly) ||
        file.write(configuration) != configuration.size())
        return false;
    file.close();
    return qputenv("FONTCONFIG_FILE", QFile::encodeName(file.fileName()));
}

} // namespace
#endif

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests (CTest's discovery) needs no application and so no display.
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
#if defined(QS_TEST_MAIN_GUI)
    const QTemporaryDir fontConfiguration;
    if (!useTestFonts(fontConfiguration)) {
        fprintf(stderr, "cannot write the tests' font configuration\n");
        return 1;
    }
#endif
#if defined(QS_TEST_OFFSCREEN)
    // Widget tests that need no X server run on Qt's offscreen platform.
    qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    TestApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
