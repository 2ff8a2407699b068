#include <Platform/UserDefaults.h>

#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using Platform::UserDefaults;

namespace {
QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

TEST(UserDefaults, StoredValuesKeepTheirTypesAcrossReopen) {
    QTemporaryDir dir;
    const QString path = dir.filePath("quillstack/settings.json");
    {
        UserDefaults d(path);
        ASSERT_TRUE(d.setValue("flag", false));
        ASSERT_TRUE(d.setValue("limit", 50));
        ASSERT_TRUE(d.setValue("list", QJsonArray()));
        ASSERT_TRUE(d.setValue("name", "pl"));
    }
    UserDefaults d(path);
    EXPECT_TRUE(d.value("flag").isBool());
    EXPECT_FALSE(d.boolValue("flag", true));
    EXPECT_EQ(d.intValue("limit"), 50);
    ASSERT_TRUE(d.stringList("list").has_value());
    EXPECT_TRUE(d.stringList("list")->isEmpty());
    EXPECT_FALSE(d.stringList("absent").has_value());
    EXPECT_EQ(d.stringValue("name"), "pl");
    EXPECT_EQ(QFile::permissions(path) & (QFileDevice::ReadOther | QFileDevice::ReadGroup), 0);
}

TEST(UserDefaults, RegisteredDefaultsAreReadButNeverWritten) {
    QTemporaryDir dir;
    const QString path = dir.filePath("settings.json");
    UserDefaults d(path);
    d.registerDefaults({{"historyLimit", 200}});
    EXPECT_EQ(d.intValue("historyLimit"), 200);
    EXPECT_FALSE(d.hasStoredValue("historyLimit"));
    ASSERT_TRUE(d.setValue("other", true));
    EXPECT_FALSE(readAll(path).contains("historyLimit"));
    ASSERT_TRUE(d.setValue("historyLimit", 20));
    EXPECT_EQ(d.intValue("historyLimit"), 20);
    ASSERT_TRUE(d.remove("historyLimit"));
    EXPECT_EQ(d.intValue("historyLimit"), 200);
}

TEST(UserDefaults, CorruptFileIsKeptAsideAndNotOverwritten) {
    const std::vector<QByteArray> bad = {"{not json", "[1,2]", QByteArray("\xff\xfe\x00", 3)};
    for (const QByteArray& content : bad) {
        QTemporaryDir dir;
        const QString path = dir.filePath("settings.json");
        {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        testing::internal::CaptureStderr();
        UserDefaults d(path);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find("could not be read"), std::string::npos) << err;
        EXPECT_EQ(readAll(path + ".corrupt"), content);
        EXPECT_TRUE(d.storedValues().isEmpty());
        ASSERT_TRUE(d.setValue("k", 1));
        EXPECT_EQ(readAll(path + ".corrupt"), content);
    }
}
