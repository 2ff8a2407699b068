#include "Platform/X11/DesktopEntries.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

namespace Platform::X11 {

namespace {

// The escapes of desktop-file string values.
QString unescapeValue(QStringView value) {
    QString result;
    result.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c != u'\\' || i + 1 == value.size()) {
            result += c;
            continue;
        }
        switch (value[++i].unicode()) {
        case u's':
            result += u' ';
            break;
        case u'n':
            result += u'\n';
            break;
        case u't':
            result += u'\t';
            break;
        case u'r':
            result += u'\r';
            break;
        case u'\\':
            result += u'\\';
            break;
        default:
            result += u'\\';
            result += value[i];
            break;
        }
    }
    return result;
}

// Splits an Exec value into arguments by the quoting rules of desktop files.
std::optional<QStringList> splitExec(const QString& exec) {
    QStringList arguments;
    QString current;
    bool inQuotes = false;
    bool inArgument = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (inQuotes) {
            if (c == u'\\' && i + 1 < exec.size() && QStringView(u"\"`$\\").contains(exec[i + 1]))
                current += exec[++i];
            else if (c == u'"')
                inQuotes = false;
            else
                current += c;
        } else if (c == u' ' || c == u'\t') {
            if (inArgument)
                arguments << current;
            current.clear();
            inArgument = false;
        } else if (c == u'"') {
            inQuotes = true;
            inArgument = true;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inQuotes)
        return std::nullopt;
    if (inArgument)
        arguments << current;
    return arguments;
}

// Replaces the field codes that stand inside an argument; the deprecated ones are dropped.
QString expandInline(const QString& argument, const DesktopEntry& entry) {
    QString result;
    for (qsizetype i = 0; i < argument.size(); ++i) {
        if (argument[i] != u'%' || i + 1 == argument.size()) {
            result += argument[i];
            continue;
        }
        switch (argument[++i].unicode()) {
        case u'%':
            result += u'%';
            break;
        case u'c':
            result += entry.name;
            break;
        case u'k':
            result += entry.path;
            break;
        default:
            break; // %d %D %n %N %v %m and unknown codes expand to nothing
        }
    }
    return result;
}

QStringList dataDirectories() {
    QString home = qEnvironmentVariable("XDG_DATA_HOME");
    if (home.isEmpty())
        home = QDir::homePath() + QStringLiteral("/.local/share");
    QString dirs = qEnvironmentVariable("XDG_DATA_DIRS");
    if (dirs.isEmpty())
        dirs = QStringLiteral("/usr/local/share:/usr/share");
    QStringList result{home};
    for (const QString& dir : dirs.split(u':', Qt::SkipEmptyParts))
        result << dir;
    return result;
}

// The id of a desktop file from its path below an applications folder.
QString idOfRelativePath(QString relative) {
    relative.chop(int(sizeof(".desktop") - 1));
    relative.replace(u'/', u'-');
    return relative;
}

} // namespace

std::optional<QString> desktopFileId(const QString& path) {
    if (!path.endsWith(QStringLiteral(".desktop")))
        return std::nullopt;
    const QString file = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    for (const QString& dir : dataDirectories()) {
        const QString applications =
            QDir::cleanPath(QFileInfo(dir + QStringLiteral("/applications")).absoluteFilePath());
        if (file.startsWith(applications + u'/'))
            return idOfRelativePath(file.mid(applications.size() + 1));
    }
    return std::nullopt;
}

std::optional<DesktopEntry> parseDesktopFile(const QString& path, const QString& id) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    DesktopEntry entry;
    entry.id = id;
    entry.path = path;
    bool inMainGroup = false;
    QString type;
    bool hidden = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[')) {
            inMainGroup = line == QStringLiteral("[Desktop Entry]");
            continue;
        }
        if (!inMainGroup)
            continue;
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0)
            continue;
        const QString key = line.left(equals).trimmed();
        const QString value = unescapeValue(QStringView(line).mid(equals + 1).trimmed());
        if (key == u"Type")
            type = value;
        else if (key == u"Name")
            entry.name = value;
        else if (key == u"Icon")
            entry.icon = value;
        else if (key == u"Exec")
            entry.exec = value;
        else if (key == u"TryExec")
            entry.tryExec = value;
        else if (key == u"Path")
            entry.workingDirectory = value;
        else if (key == u"StartupWMClass")
            entry.startupWmClass = value;
        else if (key == u"Hidden")
            hidden = value == u"true";
        else if (key == u"NoDisplay")
            entry.noDisplay = value == u"true";
    }
    if (hidden || type != u"Application")
        return std::nullopt;
    return entry;
}

std::optional<QList<QStringList>> commandLines(const DesktopEntry& entry, const QStringList& files) {
    const auto split = splitExec(entry.exec);
    if (!split || split->isEmpty())
        return std::nullopt;
    QStringList arguments = *split;
    const auto isSingle = [](const QString& a) {
        return a == u"%f" || a == u"%u";
    };
    const auto isMulti = [](const QString& a) {
        return a == u"%F" || a == u"%U";
    };
    bool single = std::any_of(arguments.begin(), arguments.end(), isSingle);
    const bool multi = std::any_of(arguments.begin(), arguments.end(), isMulti);
    if (!single && !multi && !files.isEmpty()) {
        arguments << QStringLiteral("%f");
        single = true;
    }

    const auto build = [&](const QStringList& chosen) {
        QStringList line;
        for (const QString& argument : std::as_const(arguments)) {
            if (argument == u"%f" || argument == u"%F") {
                line << chosen;
            } else if (argument == u"%u" || argument == u"%U") {
                for (const QString& file : chosen)
                    line << QString::fromUtf8(QUrl::fromLocalFile(file).toEncoded());
            } else if (argument == u"%i") {
                if (!entry.icon.isEmpty())
                    line << QStringLiteral("--icon") << entry.icon;
            } else {
                line << expandInline(argument, entry);
            }
        }
        return line;
    };

    QList<QStringList> lines;
    if (single && !multi && files.size() > 1) {
        for (const QString& file : files)
            lines << build({file});
    } else {
        lines << build(files);
    }
    for (const QStringList& line : std::as_const(lines)) {
        if (line.isEmpty() || line.first().isEmpty())
            return std::nullopt;
    }
    return lines;
}

void DesktopEntryIndex::refresh() {
    QStringList directories;
    QString signature;
    for (const QString& dir : dataDirectories()) {
        const QString applications = dir + QStringLiteral("/applications");
        const QFileInfo info(applications);
        directories << applications;
        // The modification time alone misses a file added within the file system's time resolution.
        const qsizetype entries =
            info.isDir() ? QDir(applications).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size() : -1;
        signature += applications + u'@' + QString::number(info.lastModified().toMSecsSinceEpoch()) + u'#' +
                     QString::number(entries) + u'\n';
    }
    if (signature == m_signature)
        return;
    m_signature = signature;
    m_entries.clear();
    m_programs.clear();
    m_byId.clear();
    for (const QString& applications : std::as_const(directories)) {
        QDirIterator it(applications, {QStringLiteral("*.desktop")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const QString id = idOfRelativePath(QDir(applications).relativeFilePath(path));
            if (m_byId.contains(id))
                continue;
            // A hidden entry still hides the same id in later directories.
            m_byId.insert(id, -1);
            if (auto entry = parseDesktopFile(path, id)) {
                m_byId[id] = m_entries.size();
                m_entries << *entry;
            }
        }
    }
}

std::optional<DesktopEntry> DesktopEntryIndex::byId(const QString& id) {
    refresh();
    const qsizetype index = m_byId.value(id, -1);
    return index >= 0 ? std::optional(m_entries[index]) : std::nullopt;
}

QList<DesktopEntry> DesktopEntryIndex::entries() {
    refresh();
    return m_entries;
}

std::optional<DesktopEntry> DesktopEntryIndex::byWindowClass(const QString& instance,
                                                             const QString& windowClass) {
    refresh();
    for (const QString& name : {windowClass, instance}) {
        if (name.isEmpty())
            continue;
        for (const DesktopEntry& entry : std::as_const(m_entries)) {
            if (entry.id.compare(name, Qt::CaseInsensitive) == 0)
                return entry;
        }
    }
    for (const DesktopEntry& entry : std::as_const(m_entries)) {
        if (!entry.startupWmClass.isEmpty() &&
            (entry.startupWmClass == windowClass || entry.startupWmClass == instance))
            return entry;
    }
    // Reverse-domain ids end in the class name ("org.gnome.TextEditor" for class "TextEditor").
    for (const QString& name : {windowClass, instance}) {
        if (name.isEmpty())
            continue;
        for (const DesktopEntry& entry : std::as_const(m_entries)) {
            if (entry.id.endsWith(u'.' + name, Qt::CaseInsensitive))
                return entry;
        }
    }
    return std::nullopt;
}

std::optional<DesktopEntry> DesktopEntryIndex::byExecutable(const QString& executable) {
    refresh();
    const QString canonical = QFileInfo(executable).canonicalFilePath();
    if (canonical.isEmpty())
        return std::nullopt;
    if (m_programs.size() != m_entries.size()) {
        // Resolved once per index: a lookup through $PATH for every entry is many file-system calls.
        m_programs.clear();
        for (const DesktopEntry& entry : std::as_const(m_entries)) {
            QString program = entry.tryExec;
            if (program.isEmpty()) {
                const auto arguments = splitExec(entry.exec);
                program = arguments && !arguments->isEmpty() ? arguments->first() : QString();
            }
            if (!program.isEmpty() && !program.contains(u'/'))
                program = QStandardPaths::findExecutable(program);
            m_programs << (program.isEmpty() ? QString() : QFileInfo(program).canonicalFilePath());
        }
    }
    const QString fileName = QFileInfo(canonical).fileName();
    std::optional<DesktopEntry> sameName;
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        const QString& program = m_programs[i];
        if (program.isEmpty())
            continue;
        if (program == canonical)
            return m_entries[i];
        if (!sameName && QFileInfo(program).fileName() == fileName)
            sameName = m_entries[i];
    }
    return sameName;
}

} // namespace Platform::X11
