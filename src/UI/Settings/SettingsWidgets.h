#pragma once

#include <UI/Design/Color.h>

#include <QAbstractButton>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>

#include <functional>

class QBoxLayout;
class QHBoxLayout;
class QMessageBox;
class QVariantAnimation;
class QVBoxLayout;

// The pieces the settings pages are built from: text and symbols in the design's colours, grouped
// form sections, a switch, and the buttons and dialogs of the pages.
namespace UI {

// A colour of the design, resolved for the scheme a widget is drawn in.
enum class Tone { Primary, Secondary, Tertiary, Brand, Orange, Red, White };
QColor toneColor(Tone tone, QS::Color::Scheme scheme);

// A plain-text label in one of the design's colours, kept right when the palette changes.
class TextLabel : public QLabel {
    Q_OBJECT
public:
    TextLabel(Tone tone, const QFont& font, QWidget* parent = nullptr);

    Tone tone() const { return m_tone; }
    void setTone(Tone tone);

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyTone();

    Tone m_tone;
};

// One of our symbols at a fixed size in one of the design's colours.
class SymbolLabel : public QLabel {
    Q_OBJECT
public:
    SymbolLabel(const QString& symbol, int size, Tone tone, QWidget* parent = nullptr, qreal opacity = 1.0);

    QString symbol() const { return m_symbol; }
    void setTone(Tone tone);

protected:
    void changeEvent(QEvent* event) override;

private:
    void render();

    QString m_symbol;
    int m_size;
    Tone m_tone;
    qreal m_opacity;
};

// An on/off switch: a capsule that fills with the brand colour while on.
class SettingsSwitch : public QAbstractButton {
    Q_OBJECT
public:
    explicit SettingsSwitch(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    QVariantAnimation* m_knob;
    qreal m_position = 0.0;
};

// A button filled with a tint and labelled in white: the primary action of its area. It can be
// drawn slightly enlarged for a moment (`setScale`) without moving its neighbours.
class ProminentButton : public QPushButton {
    Q_OBJECT
public:
    ProminentButton(Tone tint, const QString& symbol = {}, QWidget* parent = nullptr);

    qreal scale() const { return m_scale; }
    void setScale(qreal scale);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Tone m_tint;
    QString m_symbol;
    qreal m_scale = 1.0;
};

// A standard push button whose label shows in a tone (red for destructive actions).
class TonedButton : public QPushButton {
    Q_OBJECT
public:
    TonedButton(Tone tone, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyTone();

    Tone m_tone;
};

// The rounded panel that holds the rows of one form section, with hairlines between the rows.
class FormPanel : public QWidget {
    Q_OBJECT
public:
    explicit FormPanel(QWidget* parent = nullptr);

    void addRow(QWidget* row);
    QVBoxLayout* rows() const { return m_rows; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QVBoxLayout* m_rows;
};

// One section of a form: an optional header, the panel of rows and an optional caption below.
class FormSection : public QWidget {
    Q_OBJECT
public:
    // `header` is a source text of the "QSSectionHeader" context (QT_TRANSLATE_NOOP).
    explicit FormSection(const char* header = nullptr, QWidget* parent = nullptr);

    FormPanel* panel() const { return m_panel; }
    void addRow(QWidget* row) { m_panel->addRow(row); }
    // The caption under the panel, made on first use; the page sets its text.
    TextLabel* footer();

private:
    FormPanel* m_panel;
    TextLabel* m_footer = nullptr;
};

// A page of grouped settings: sections stacked from the top, scrolling when taller than the page.
class SettingsForm : public QScrollArea {
    Q_OBJECT
public:
    explicit SettingsForm(QWidget* parent = nullptr);

    FormSection* addSection(const char* header = nullptr);
    // Any other block between the sections.
    void addWidget(QWidget* widget);
    QWidget* content() const { return m_content; }

protected:
    void changeEvent(QEvent* event) override;

private:
    QWidget* m_content;
    QVBoxLayout* m_sections;
};

// A panel row holding choice cards side by side; the cards go into the returned layout.
QHBoxLayout* choiceCardRow(QWidget* row);
// A panel row holding one button at its start.
QWidget* buttonRow(QPushButton* button, QWidget* parent);

// A row of a form panel: a label on the left and the control on the right, with an optional note
// under both (shown or hidden by the caller).
QWidget* formRow(QWidget* label, QWidget* control, QWidget* parent, QWidget* note = nullptr);
// Gives a text field or text editor the forms' rounded frame, kept right across light and dark.
void styleTextInput(QWidget& input);
// The label of a form row, in the body font.
TextLabel* rowLabel(QWidget* parent);

// The fonts of the pages.
QFont bodyFont();
QFont captionFont();

// Shows a question over the settings window, which comes to the front with it. `confirmTitle` is
// the destructive action; `onConfirm` runs only when it is chosen.
QMessageBox* confirmDestructive(QWidget* over, const QString& title, const QString& message,
                                const QString& confirmTitle, std::function<void()> onConfirm);
// Shows a warning over the settings window, in front with it.
QMessageBox* warn(QWidget* over, const QString& title, const QString& message);
// Brings the window of `widget` to the front before something is shown over it.
void bringToFront(QWidget* widget);

} // namespace UI
