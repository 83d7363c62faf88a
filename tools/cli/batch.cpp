#include "batch.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>

namespace Batch {

QJsonObject Report::toJson() const
{
    QJsonObject object {
        {QStringLiteral("name"), name},
        {QStringLiteral("status"), status},
        {QStringLiteral("result"), result},
    };
    if (!target.isEmpty())
        object.insert(QStringLiteral("target"), target);
    if (!file.isEmpty())
        object.insert(QStringLiteral("file"), file);
    if (!error.isEmpty())
        object.insert(QStringLiteral("error"), error);
    if (!failedRecords.isEmpty())
        object.insert(QStringLiteral("failedRecords"), QJsonArray::fromStringList(failedRecords));
    if (result == QLatin1String("same") || result == QLatin1String("different")) {
        // Each difference as its four parts: page, field, the file's value, the other's.
        QJsonArray lines;
        for (const QString &line : differences) {
            QJsonArray parts;
            for (const QString &part : line.split(QLatin1Char('\t')))
                parts.append(part);
            lines.append(parts);
        }
        object.insert(QStringLiteral("differences"), lines);
    }
    return object;
}

void run(qsizetype count, int parallel, const std::function<std::unique_ptr<GatewayJob>(qsizetype index)> &make,
    const std::function<void(qsizetype index, GatewayJob &job)> &done)
{
    QEventLoop loop;
    qsizetype next = 0;
    qsizetype running = 0;
    std::function<void()> startNext = [&] {
        while (next < count && running < std::max(parallel, 1)) {
            const qsizetype index = next++;
            GatewayJob *job = make(index).release();
            ++running;
            QObject::connect(job, &GatewayJob::finished, &loop, [&, index, job] {
                done(index, *job);
                job->deleteLater();
                --running;
                startNext();
                if (running == 0)
                    loop.quit();
            });
            job->start();
        }
    };
    startNext();
    if (running > 0)
        loop.exec();
    // The last jobs' deferred deletions.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

Report failure(const QString &name, const GatewayJob &job)
{
    Report report;
    report.name = name;
    report.target = job.target().text;
    report.error = job.error();
    report.failedRecords = job.failedRecords();
    report.status = job.result() == GatewayJob::Result::Refused ? kRefused : kNoGateway;
    report.result = report.status == kRefused ? QStringLiteral("refused") : QStringLiteral("failed");
    return report;
}

int status(const QList<Report> &reports)
{
    int highest = kDone;
    for (const Report &report : reports)
        highest = std::max(highest, report.status);
    return highest;
}

QByteArray json(const QString &command, const QList<Report> &reports)
{
    QJsonArray gateways;
    for (const Report &report : reports)
        gateways.append(report.toJson());
    const QJsonObject summary {
        {QStringLiteral("command"), command},
        {QStringLiteral("status"), status(reports)},
        {QStringLiteral("gateways"), gateways},
    };
    return QJsonDocument(summary).toJson(QJsonDocument::Indented);
}

} // namespace Batch
