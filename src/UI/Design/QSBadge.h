#pragma once

#include <QColor>
#include <QWidget>

// A small capsule label in one colour ("SNIPPET", "JSON", a language name). The text is shown as
// given, never translated: callers pass it in the case they want it shown.
class QSBadge : public QWidget {
    Q_OBJECT
public:
    QSBadge(const QString& text, const QColor& color, QWidget* parent = nullptr);

    QString text() const { return m_text; }
    QColor color() const { return m_color; }
    void setText(const QString& text);
    void setColor(const QColor& color);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QString m_text;
    QColor m_color;
};
