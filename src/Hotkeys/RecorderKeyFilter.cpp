#include "Hotkeys/RecorderKeyFilter.h"

#include <QKeyEvent>

namespace Hotkeys {
namespace {

bool isLoneModifierKey(int key) {
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_AltGr:
    case Qt::Key_Mode_switch:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
        return true;
    default:
        return false;
    }
}

} // namespace

RecorderKeyDecision decideRecorderKey(const QKeyEvent& event) {
    using Action = RecorderKeyDecision::Action;
    if (event.type() != QEvent::KeyPress || isLoneModifierKey(event.key()))
        return {Action::swallow, std::nullopt};

    const Qt::KeyboardModifiers modifiers = event.modifiers();
    const bool anyModifier =
        modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (!anyModifier) {
        if (event.key() == Qt::Key_Tab)
            return {Action::pass, std::nullopt};
        if (event.key() == Qt::Key_Escape)
            return {Action::resignFocusAndSwallow, std::nullopt};
        if (event.key() == Qt::Key_Backspace || event.key() == Qt::Key_Delete)
            return {Action::clear, std::nullopt};
    }
    const bool commandLike = modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (!commandLike && !isFunctionKey(event.key()))
        return {Action::beep, std::nullopt};

    const auto shortcut = Shortcut::fromKeyEvent(event);
    if (!shortcut)
        return {Action::beep, std::nullopt};
    return {Action::record, shortcut};
}

} // namespace Hotkeys
