#pragma once

#include <QString>

namespace App {

// Starting Quillstack at login, through the XDG autostart file
// $XDG_CONFIG_HOME/autostart/quillstack.desktop. The registration is the file itself, so what
// isEnabled() says is what the session will do.
class LoginItemManager {
public:
    // `autostartFile` and `program` default to the user's autostart file and the quillstack command.
    explicit LoginItemManager(QString autostartFile = {}, QString program = {});

    static QString defaultAutostartFile();

    // Writes or removes the autostart file. On failure writes "LoginItemManager: " and the reason to
    // standard error and returns false.
    bool set(bool enabled);
    // Whether the session will start the program at login: the file is there and not hidden.
    bool isEnabled() const;

    const QString& autostartFile() const { return m_file; }

private:
    QString m_file;
    QString m_program;
};

} // namespace App
