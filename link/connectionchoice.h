#pragma once

#include <QString>

// How to reach the gateway and log on to it: the choices of an accepted
// connection dialog, or a program's own, as the connection flow takes them over.
struct ConnectionChoice
{
    QString g_Mode; // "COM", "NET", "MDM", or "ERR" when cancelled
    qint16 g_receiving_mode = 0;
    qint16 g_com = 0; // serial or modem port number, 1-based
    QString g_Rate; // e.g. "115200"
    QString g_Rate_index; // "0".."3"
    QString g_port;
    QString g_ip;
    QString g_Phone;
    QString g_OPT_MDM;
    QString g_Pass;
    QString g_Login; // "0" or "1"
    QString g_Server; // "0" or "1"
    QString g_UnitID;
};
