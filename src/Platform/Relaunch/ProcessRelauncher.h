#pragma once

#include <Platform/Relauncher.h>

#include <QString>

namespace Platform {

// Starts the executable directly (never through a shell) as a detached process.
class ProcessRelauncher final : public Relauncher {
public:
    // `program` defaults to the running executable: the full program, not the quillstack command,
    // which never hands a relaunched start over and would only start this same program.
    explicit ProcessRelauncher(QString program = {});

    bool relaunch() override;

private:
    QString m_program;
};

} // namespace Platform
