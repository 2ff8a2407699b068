#pragma once

#include <QWidget>

// A key cap for keyboard hints: a key or a whole shortcut as the desktop writes it ("Esc",
// "Ctrl+1", "Shift+Super+V"; see KeyNotation).
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
