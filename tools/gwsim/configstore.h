#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>

// The gateway's whole configuration, held as the fields of its records: one
// field list per page record and one per row of the prefix table and number list.
class ConfigStore
{
public:
    // The realistic factory configuration.
    ConfigStore();

    // Every record line the gateway reports at log-on, in reporting order: FXO,
    // FXS, GSM, NET, SMS, GWP, the 32 PRF rows and the 64 LST rows.
    QList<QByteArray> recordLines() const;

    // Checks a record line (mnemonic and fields) against its layout and stores it
    // when it passes. Returns an empty text when stored, otherwise why not; the
    // stored configuration is then unchanged.
    QByteArray apply(const QByteArray &line);

    // The stored fields of a page record ("FXO") or a table row ("PRF", 5).
    QList<QByteArray> fields(const QByteArray &mnemonic, int row = 0) const;

    bool operator==(const ConfigStore &other) const = default;

private:
    static QByteArray key(const QByteArray &mnemonic, int row);
    void setDefaults();

    QMap<QByteArray, QList<QByteArray>> m_records;
};
