#include "operatorjourney.h"

#include <pages.h>

#include <QRegularExpression>

using namespace Qt::StringLiterals;

QList<JourneyStep> operatorJourney()
{
    return {
        {u"main"_s, Pages::PageFXO, {{u"txtFXO_DLP"_s, u"12"_s}}, u"FXO0,,3,4,11,12,40,1,2,98,0,2,30"_s},
        {u"isdn"_s, Pages::PageFXS, {{u"txtFXS_Polar"_s, u"25"_s}}, u"FXS5,10,50,150,0,0,1,25"_s},
        {u"system"_s, Pages::PageGSM, {{u"txtGSM_PIN1"_s, u"1234"_s}}, u"GSM4,,48,0,1234,,1,1,5"_s},
        {u"hst"_s, Pages::PageSMS, {{u"txtSMS_Service"_s, u"09120000001"_s}}, u"SMS13,09121234567,09120000001"_s},
        {u"tsl"_s, Pages::PageTONE, {{u"cmbTONE_Work"_s, {}, 1}},
            u"GWP1,2,7,1,7,1,7,1,7,50,50,0,0,25,25,0,0,100,400,0,0"_s},
        {u"call"_s, Pages::PagePRF, {{u"ucPRF"_s, u"0990"_s, -1, 6, 1}, {u"ucPRF"_s, u"2"_s, -1, 6, 2}},
            u"PRF06,0990,2"_s},
        {u"groups"_s, Pages::PageNumList, {{u"ucNumList"_s, u"09127778899"_s, -1, 7, 1}},
            u"LST07,09127778899,0"_s},
    };
}

QStringList linesAfter(const QStringList &before, const JourneyStep &step)
{
    QStringList expected = before;
    // The SIM number cell shows the number value of what the gateway sent, so the
    // rows saved with the prefix table write an empty one back as "0".
    if (step.page == Pages::PagePRF) {
        for (QString &line : expected) {
            if (line.startsWith(u"PRF"_s) && line.endsWith(u','))
                line += u'0';
        }
    }
    // A table row's line is known by its mnemonic and row number.
    const QString &line = step.changedLine;
    const bool isRow = line.startsWith(u"PRF"_s) || line.startsWith(u"LST"_s);
    const QString key = line.left(isRow ? 6 : 3);
    const qsizetype at = expected.indexOf(QRegularExpression(u"^"_s + QRegularExpression::escape(key) + u".*"_s));
    if (at >= 0)
        expected[at] = line;
    else
        expected << line;
    return expected;
}
