#pragma once

#include <QWidget>

// The header of a list section: an optional symbol in the brand colour and an upper-case title.
// The title is a source text of the "QSSectionHeader" translation context (mark it with
// QT_TRANSLATE_NOOP("QSSectionHeader", ...)); it is looked up again whenever the language changes.
class QSSectionHeader : public QWidget {
    Q_OBJECT
public:
    explicit QSSectionHeader(const char* title, const QString& icon = {}, QWidget* parent = nullptr);

    // The title as shown, before the upper-case rendering.
    QString title() const;
    QString icon() const { return m_icon; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QFont titleFont() const;

    const char* m_title;
    QString m_icon;
};
