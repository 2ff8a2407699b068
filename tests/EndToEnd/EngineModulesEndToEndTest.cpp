// The real binary loads its heavy engines when they are first used, from the modules beside it:
// started and at rest it maps none of them (nor JavaScriptCore, Tesseract, Leptonica or Qt Network);
// the first recognised picture and the first code preview still work and map only their own. Without
// the modules it says so and goes on without the engines; an installed program finds its modules.
#include "RunningQuillstack.h"
#include "TextPicture.h"

#include <QBuffer>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest/QTest>

#include <gtest/gtest.h>

namespace {

constexpr int kRecognitionTimeoutMs = 60000;

// What each engine brings into the process: its module and the libraries only it links.
const QStringList kRecognitionFiles{"quillstack-text-recognition.so", "libtesseract", "liblept"};
const QStringList kHighlightingFiles{"quillstack-highlighting.so", "libjavascriptcoregtk"};
const QStringList kWebImageFiles{"quillstack-web-images.so", "libQt6Network"};

QStringList mappedOf(const QString& mapped, const QStringList& files) {
    QStringList found;
    for (const QString& file : files)
        if (mapped.contains(file))
            found << file;
    return found;
}

// A picture with one line of text, as a PNG file the clipboard owner serves.
QString writeTextPicture(const QString& path) {
    textPicture(QStringLiteral("Quarterly invoice 2048")).save(path, "PNG");
    return path;
}

bool copyPicture(const QString& path) {
    QProcess xclip;
    xclip.start(QStringLiteral("xclip"), {"-selection", "clipboard", "-t", "image/png", "-i", path});
    return xclip.waitForFinished(5000) && xclip.exitCode() == 0;
}

const QByteArray kCode = "#include <vector>\n\nint main() {\n    std::vector<int> values{1, 2, 3};\n"
                         "    return values[0]; // \"first\"\n}\n";

// The runs of the first code preview's highlighting, from the diagnostic log; -1 before it.
int highlightedRuns(const QString& log) {
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("code highlighted in (\\d+) runs")).match(log);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

class EngineModulesEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        quillstack.setEnvironment(QStringLiteral("QUILLSTACK_STARTUP_PHASES"), QStringLiteral("1"));
    }

    void startAndRest() {
        ASSERT_TRUE(quillstack.start(R"({"hasCompletedOnboarding": true, "windowPosition": "center"})"))
            << qPrintable(quillstack.log());
        // The panel is built in idle time after the start; then the program is at rest.
        ASSERT_TRUE(QTest::qWaitFor([&] { return quillstack.log().contains("phase panel built"); }, 15000))
            << qPrintable(quillstack.log());
        QTest::qWait(500);
    }

    // Copies the picture and waits until the history has it, with its recognised text when
    // `recognised`.
    void copyPictureAndWait(bool recognised) {
        ASSERT_TRUE(copyPicture(writeTextPicture(home.filePath("picture.png"))));
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                if (quillstack.storedValues("typeRaw").value(0) != "image")
                    return false;
                return !recognised ||
                       quillstack.storedValues("ocrText").value(0).contains("invoice", Qt::CaseInsensitive);
            },
            kRecognitionTimeoutMs))
            << qPrintable(quillstack.storedValues("ocrText").value(0)) << qPrintable(quillstack.log());
    }

    // Copies code, shows the panel (which previews the newest item) and waits for the highlighting.
    void previewCode() {
        ASSERT_TRUE(RunningQuillstack::copyText(kCode));
        ASSERT_TRUE(QTest::qWaitFor([&] { return quillstack.storedValues("typeRaw").value(0) == "code"; }, 10000))
            << qPrintable(quillstack.log());
        ASSERT_EQ(quillstack.launchAgain({QStringLiteral("--show-history")}).exitCode, 0);
        ASSERT_TRUE(QTest::qWaitFor([&] { return highlightedRuns(quillstack.log()) >= 0; }, 20000))
            << qPrintable(quillstack.log());
    }

    QTemporaryDir home;
    RunningQuillstack quillstack;
};

TEST_F(EngineModulesEndToEnd, EnginesAreLoadedWhenFirstUsedAndNotBefore) {
    startAndRest();
    const QString atRest = quillstack.mappedFiles();
    ASSERT_FALSE(atRest.isEmpty());
    EXPECT_EQ(mappedOf(atRest, kRecognitionFiles + kHighlightingFiles + kWebImageFiles), QStringList())
        << "started and at rest";

    copyPictureAndWait(true);
    const QString afterRecognition = quillstack.mappedFiles();
    EXPECT_EQ(mappedOf(afterRecognition, kRecognitionFiles), kRecognitionFiles);
    EXPECT_EQ(mappedOf(afterRecognition, kHighlightingFiles + kWebImageFiles), QStringList());

    previewCode();
    EXPECT_GT(highlightedRuns(quillstack.log()), 3) << "the code is coloured";
    const QString afterPreview = quillstack.mappedFiles();
    EXPECT_EQ(mappedOf(afterPreview, kHighlightingFiles), kHighlightingFiles);
    EXPECT_EQ(mappedOf(afterPreview, kWebImageFiles), QStringList()) << "no remote picture was asked for";
    EXPECT_FALSE(quillstack.log().contains("unavailable")) << qPrintable(quillstack.log());
}

TEST_F(EngineModulesEndToEnd, WithoutTheModulesTheProgramSaysSoAndGoesOnWithoutTheEngines) {
    QTemporaryDir emptyModules;
    quillstack.setEnvironment(QStringLiteral("QUILLSTACK_MODULE_DIR"), emptyModules.path());
    startAndRest();

    // The picture is kept, without text.
    copyPictureAndWait(false);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return quillstack.log().contains("quillstack-text-recognition.so is unavailable"); }, 20000))
        << qPrintable(quillstack.log());
    EXPECT_TRUE(quillstack.storedValues("ocrText").value(0).isEmpty());

    // The code is shown plain.
    previewCode();
    EXPECT_EQ(highlightedRuns(quillstack.log()), 0);
    EXPECT_TRUE(quillstack.log().contains("quillstack-highlighting.so is unavailable")) << qPrintable(quillstack.log());
    EXPECT_EQ(quillstack.log().count("is unavailable"), 2) << "said once per module";
    EXPECT_EQ(quillstack.process().state(), QProcess::Running);
}

// The program installed into a prefix of its own finds the modules installed beside it.
TEST_F(EngineModulesEndToEnd, AnInstalledProgramFindsItsModules) {
    QProcess install;
    install.start(QStringLiteral("cmake"), {"--install", QS_TEST_BINARY_DIR, "--prefix", home.filePath("prefix")});
    ASSERT_TRUE(install.waitForFinished(60000));
    ASSERT_EQ(install.exitCode(), 0) << install.readAllStandardError().constData();
    const QString modules = home.filePath(QStringLiteral("prefix/" QS_TEST_MODULE_INSTALL_DIR));
    quillstack.setBinary(home.filePath("prefix/bin/quillstack"));
    startAndRest();

    copyPictureAndWait(true);
    previewCode();
    EXPECT_GT(highlightedRuns(quillstack.log()), 3);
    const QString mapped = quillstack.mappedFiles();
    for (const char* module : {"quillstack-text-recognition.so", "quillstack-highlighting.so"})
        EXPECT_TRUE(mapped.contains(QDir(modules).filePath(QString::fromLatin1(module)))) << module << "\n"
                                                                                         << qPrintable(mapped);
    EXPECT_TRUE(mapped.contains(home.filePath("prefix/libexec/quillstack")));
}

} // namespace
