#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The operator journey the end-to-end tests run, once through the main window
// and once through a bare gateway session: one change on every configuration
// page, saved page by page, and the record line the gateway stores for it. Both
// roads must leave the gateway with the same configuration.
struct JourneyEdit
{
    QString control; // a list, a text box, or a table
    QString text {}; // a text box's text or a cell's
    int position = -1; // a list's position, when not -1
    int row = 0; // a cell's row and column, for a table
    int col = 0;
};

struct JourneyStep
{
    QString toolbarKey; // the toolbar key that shows the page
    int page = 0; // Pages::Index
    QList<JourneyEdit> edits;
    QString changedLine; // the line the gateway stores once the page is saved
};

QList<JourneyStep> operatorJourney();

// The gateway's record lines after step's page was saved over before: the
// changed line in place of its own, and what saving the page writes back
// besides (the prefix table's empty SIM cells come back as "0").
QStringList linesAfter(const QStringList &before, const JourneyStep &step);
