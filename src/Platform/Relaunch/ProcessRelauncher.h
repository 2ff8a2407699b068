#pragma once

#include <Platform/Relauncher.h>

#include <QString>

namespace Platform {

// Starts the executable directly (never through a shell) as a detached process.
class ProcessRelauncher final : public Relauncher {
public:
    // `program` defaults to the running executable.
    explicit ProcessRelauncher(QString program = {});

    bool relaunch() override;

private:
    QString m_program;
};

} // namespace Platform
