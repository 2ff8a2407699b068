#include <Platform/Relaunch/ProcessRelauncher.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QString writeScript(const QTemporaryDir& dir, const QByteArray& body, bool executable) {
    const QString path = dir.filePath("program");
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n" + body);
    file.close();
    if (executable)
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return path;
}

TEST(ProcessRelauncher, StartsTheProgramWithTheRelaunchFlag) {
    QTemporaryDir dir;
    const QString out = dir.filePath("arguments");
    const QString program = writeScript(dir,
                                        "printf '%s\\n' \"$@\" > \"" + out.toUtf8() + ".tmp\"; mv \"" +
                                            out.toUtf8() + ".tmp\" \"" + out.toUtf8() + "\"\n",
                                        true);
    Platform::ProcessRelauncher relauncher(program);
    ASSERT_TRUE(relauncher.relaunch());
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(out); }, 5000));
    QFile file(out);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "--relaunched\n");
}

TEST(ProcessRelauncher, ReportsAProgramThatCannotStart) {
    QTemporaryDir dir;
    Platform::ProcessRelauncher missing(dir.filePath("no-such-program"));
    EXPECT_FALSE(missing.relaunch());
    Platform::ProcessRelauncher notExecutable(writeScript(dir, "exit 0\n", false));
    EXPECT_FALSE(notExecutable.relaunch());
}

} // namespace
