#pragma once

#include <QWidget>

// A key cap for keyboard hints: a key symbol ("↩", "esc"), a modifier symbol with a digit, or a
// whole shortcut as the shortcut library renders it.
class QSKeyCap : public QWidget {
    Q_OBJECT
public:
    explicit QSKeyCap(const QString& key, QWidget* parent = nullptr);

    QString key() const { return m_key; }
    void setKey(const QString& key);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_key;
};
