#pragma once

#include "clitarget.h"

#include <QList>
#include <QString>

// The gateways of a site, as a targets file lists them: one line per gateway,
//   NAME TARGET [PASSWORD-FILE]
// separated by blanks or tabs. Lines starting with "#" and blank lines are
// ignored. A name is what the gateway's file is called (NAME.gwcfg), so it is
// made of letters, digits, ".", "_" and "-", does not start with ".", and no two
// lines share one. A relative password file is found beside the targets file.
struct TargetList
{
    struct Entry
    {
        QString name;
        CliTarget target;
        // Empty: the password given for every gateway.
        QString passwordFile;
    };

    QList<Entry> entries;

    // The list, or nothing with error saying why ("FILE: line N: ...").
    static std::optional<TargetList> load(const QString &path, QString *error);
};
