#include "Hotkeys/Recorder.h"

#include <QHBoxLayout>
#include <QLabel>

namespace Hotkeys {

Recorder::Recorder(const Name& name, RecorderControl::OnChange onChange, QWidget* parent)
    : QWidget(parent), m_control(new RecorderControl(name, std::move(onChange), this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_control);
}

Recorder::Recorder(const QString& title, const Name& name, RecorderControl::OnChange onChange,
                   QWidget* parent)
    : Recorder(name, std::move(onChange), parent) {
    m_label = new QLabel(title, this);
    m_label->setTextFormat(Qt::PlainText);
    m_label->setBuddy(m_control);
    auto* layout = static_cast<QHBoxLayout*>(this->layout());
    layout->insertWidget(0, m_label);
    layout->insertStretch(1);
}

} // namespace Hotkeys
