#include "configfile.h"

#include "configstore.h"

#include <QFile>
#include <QSaveFile>

namespace {

// A configuration is about 5 KB; anything far beyond is not one of ours.
constexpr qint64 kMaxFileSize = 1024 * 1024;

} // namespace

ConfigFile::ConfigFile(const QString &path)
    : m_path(path)
{ }

bool ConfigFile::load(ConfigStore &store)
{
    m_problems.clear();
    m_errorText.clear();
    QFile file(m_path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        m_errorText = file.errorString();
        return false;
    }
    if (file.size() > kMaxFileSize) {
        m_errorText = QStringLiteral("the file is larger than %1 bytes").arg(kMaxFileSize);
        return false;
    }
    const QByteArray content = file.readAll();
    int lineNumber = 0;
    for (QByteArray line : content.split('\n')) {
        ++lineNumber;
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QByteArray problem = store.apply(line);
        if (!problem.isEmpty())
            m_problems.append("line " + QByteArray::number(lineNumber) + ": " + problem);
    }
    return true;
}

bool ConfigFile::save(const ConfigStore &store)
{
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly)) {
        m_errorText = file.errorString();
        return false;
    }
    file.write("# varlisk-gwsim configuration: one record per line\n");
    for (const QByteArray &line : store.recordLines())
        file.write(line + '\n');
    if (!file.commit()) {
        m_errorText = file.errorString();
        return false;
    }
    return true;
}

bool ConfigFile::keepOriginal()
{
    const QString copy = m_path + QStringLiteral(".orig");
    QFile::remove(copy);
    if (!QFile::copy(m_path, copy)) {
        m_errorText = QStringLiteral("cannot copy the file to %1").arg(copy);
        return false;
    }
    return true;
}
