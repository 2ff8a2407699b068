#pragma once

// A real history store on a temporary SQLite file and image folder, for the capture tests.
#include <Capture/DefaultSettings.h>
#include <Platform/UserDefaults.h>
#include <Storage/HistoryStore.h>
#include <Storage/ImageStore.h>

#include <QCryptographicHash>
#include <QDir>
#include <QTemporaryDir>

#include <memory>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

struct TemporaryHistory {
    TemporaryHistory() {
        App::registerDefaultSettings(defaults);
        HistoryStore::Options options;
        options.databasePath = root.filePath(QStringLiteral("history.sqlite"));
        options.images = &images;
        options.defaults = &defaults;
        store = HistoryStore::open(options);
    }

    QStringList imageFiles() const { return QDir(images.directory()).entryList(QDir::Files); }

    QTemporaryDir root;
    ImageStore images{root.filePath(QStringLiteral("Images"))};
    Platform::UserDefaults defaults;
    std::unique_ptr<HistoryStore> store;
};

inline QString sha256Hex(const QByteArray& bytes) {
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}
