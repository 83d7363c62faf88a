#pragma once

#include "fieldcodecs.h"

#include <QString>

// Receives what the reply analysis recognised in a gateway line: configuration
// records for the pages, the version text, and the outcome of a write command
// for the write queue's confirmation flag.
class IReplySink
{
public:
    virtual ~IReplySink() = default;

    // A record with its three-letter code ("FXO", "FXS", "GSM", "NET", "SMS",
    // "PRF", "LST", "GWP") and its fields as split from the rest of the line.
    virtual void applyRecord(const QString &code, const FieldCodecs::SplitResult &fields) = 0;
    // The text of a "VER" line after its code.
    virtual void setVersion(const QString &text) = 0;
    // The write queue's flag g_WriteOK, set after WriteResult has been handled.
    virtual void setWriteOK(bool isOK) = 0;
};
