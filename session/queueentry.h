#pragma once

#include <QString>

// One command of a write: the text sent to the gateway (without its line end)
// and the description shown to the operator.
struct QueueEntry
{
    QString Cmd;
    QString Desc;

    friend bool operator==(const QueueEntry &, const QueueEntry &) = default;
};
