#pragma once

#include <QHash>
#include <QImage>
#include <QMutex>
#include <QMutexLocker>
#include <QString>
#include <QStringList>

#include <list>
#include <optional>

// A thread-safe in-memory image cache with two limits, an entry count and a total cost, evicting
// the least recently used entries first when either is exceeded.
class ImageCache {
public:
    ImageCache(qsizetype countLimit, qint64 costLimit) : m_countLimit(countLimit), m_costLimit(costLimit) {}

    std::optional<QImage> find(const QString& key) {
        QMutexLocker lock(&m_mutex);
        const auto found = m_index.constFind(key);
        if (found == m_index.constEnd())
            return std::nullopt;
        m_entries.splice(m_entries.begin(), m_entries, *found);
        return (*found)->image;
    }

    void insert(const QString& key, const QImage& image, qint64 cost) {
        QMutexLocker lock(&m_mutex);
        removeLocked(key);
        // An entry dearer than the whole cache is not kept (it would only evict everything else).
        if (cost > m_costLimit)
            return;
        m_entries.push_front({key, image, cost});
        m_index.insert(key, m_entries.begin());
        m_totalCost += cost;
        while (m_entries.size() > static_cast<size_t>(m_countLimit) || m_totalCost > m_costLimit) {
            const Entry& oldest = m_entries.back();
            m_totalCost -= oldest.cost;
            m_index.remove(oldest.key);
            m_entries.pop_back();
        }
    }

    void remove(const QString& key) {
        QMutexLocker lock(&m_mutex);
        removeLocked(key);
    }

    // Removes every entry whose key starts with `prefix`.
    void removeWithPrefix(const QString& prefix) {
        QMutexLocker lock(&m_mutex);
        QStringList doomed;
        for (const Entry& entry : m_entries) {
            if (entry.key.startsWith(prefix))
                doomed.append(entry.key);
        }
        for (const QString& key : doomed)
            removeLocked(key);
    }

    void clear() {
        QMutexLocker lock(&m_mutex);
        m_entries.clear();
        m_index.clear();
        m_totalCost = 0;
    }

    qsizetype count() const {
        QMutexLocker lock(&m_mutex);
        return static_cast<qsizetype>(m_entries.size());
    }

    qint64 totalCost() const {
        QMutexLocker lock(&m_mutex);
        return m_totalCost;
    }

private:
    struct Entry {
        QString key;
        QImage image;
        qint64 cost;
    };

    void removeLocked(const QString& key) {
        const auto found = m_index.constFind(key);
        if (found == m_index.constEnd())
            return;
        m_totalCost -= (*found)->cost;
        m_entries.erase(*found);
        m_index.erase(found);
    }

    mutable QMutex m_mutex;
    const qsizetype m_countLimit;
    const qint64 m_costLimit;
    std::list<Entry> m_entries;
    QHash<QString, std::list<Entry>::iterator> m_index;
    qint64 m_totalCost = 0;
};
