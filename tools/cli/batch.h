#pragma once

#include "gatewayjob.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// Running a command's gateway jobs and reporting them, for one gateway or many.
namespace Batch {

// The exit statuses of the program; a run over many gateways exits with the
// highest status of any of them.
enum Status : int {
    kDone = 0,
    kDifferences = 1,
    kUsage = 2,
    kNoGateway = 3,
    kRefused = 4,
};

// What became of one gateway (or, for a diff of two files, of the other file).
struct Report
{
    QString name;
    QString target;
    int status = kDone;
    // One word for scripts: read "written" or "unchanged", write "written",
    // diff "same" or "different"; "failed" (no connection or log-on) or
    // "refused" (the write) for a job that did not end.
    QString result;
    QString error;
    // The configuration file read into, or compared.
    QString file;
    QStringList failedRecords;
    // diff: the difference lines, as scriptLine gives them.
    QStringList differences;

    QJsonObject toJson() const;
};

// Runs one job per gateway, at most parallel at once, in this thread's event
// loop; done() takes each job as it finishes, in the order they finish, and the
// job is deleted after it. Returns once every job has finished.
void run(qsizetype count, int parallel, const std::function<std::unique_ptr<GatewayJob>(qsizetype index)> &make,
    const std::function<void(qsizetype index, GatewayJob &job)> &done);

// The status of a job that did not end Done, with its error in report.
Report failure(const QString &name, const GatewayJob &job);

// The highest status of the reports.
int status(const QList<Report> &reports);

// The summary for scripts: the command, the program's status and every report.
QByteArray json(const QString &command, const QList<Report> &reports);

} // namespace Batch
