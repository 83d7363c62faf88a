#include "recordlayouts.h"

namespace {

FieldLayout bits(
    const char *control, int weight, int mask, const char *label, const QStringList &entries, const char *group)
{
    return {.field = 0,
        .kind = FieldKind::OptionBits,
        .control = QString::fromLatin1(control),
        .label = QString::fromLatin1(label),
        .entries = entries,
        .weight = weight,
        .mask = mask,
        .group = QString::fromLatin1(group)};
}

FieldLayout list(int field, const QString &control, const char *label, const QStringList &entries, const char *group,
    FieldKind kind = FieldKind::List)
{
    return {.field = field,
        .kind = kind,
        .control = control,
        .label = QString::fromLatin1(label),
        .entries = entries,
        .group = QString::fromLatin1(group)};
}

FieldLayout text(int field, const QString &control, const char *label, int width, const char *group,
    FieldKind kind = FieldKind::Text, const char *unit = "")
{
    return {.field = field,
        .kind = kind,
        .control = control,
        .label = QString::fromLatin1(label),
        .width = width,
        .group = QString::fromLatin1(group),
        .unit = QString::fromLatin1(unit)};
}

QString name(const char *control)
{
    return QString::fromLatin1(control);
}

QStringList cidTypes()
{
    return {"Bellcore On-Hook", "BT On-Hook", "V.23 On-Hook"};
}

QStringList busyCadences()
{
    return {"250 ms", "375 ms", "400 ms", "500 ms"};
}

QStringList voiceRates()
{
    return {"FR", "EFR / FR", "HR / FR", "FR / HR", "HR / EFR", "EFR / HR"};
}

QStringList selectModes()
{
    return {"Auto Select", "Periodic Select", "Manual Select"};
}

RecordLayout fxoLayout()
{
    const char *access = "Line and Access";
    const char *follow = "Follow Me";
    const char *dialling = "Dialling";
    const char *format = "Number Format";
    const char *tones = "Tones";
    return {.code = "FXO",
            .page = Pages::PageFXO,
            .fieldCount = 13,
            .fields =
                {
                    bits("cmbFXO_AGSM", 1, 3, "Access Mode", {"Directly to FXS", "Directly to GSM", "Follow Me"},
                         access),
                    bits("cmbFXO_NetPRF", 4, 4, "Select GSM network via Prefixes", RecordLayouts::disableEnable(),
                         access),
                    bits("cmbFXO_TestNum", 8, 8, "Test Number List for 'Access to GSM'",
                         RecordLayouts::disableEnable(), access),
                    bits("cmbFXO_CID", 16, 0x30, "CID Type on FXO  port", cidTypes(), access),
                    bits("cmbFXO_DMode", 64, 0x40, "Dialing Mode", {"Tone Dialling", "Pulse Dialling"}, access),
                    text(1, name("txtFXO_Follow"), "FOLLOW ME Number  ( 16  digit)", 16, follow),
                    text(2, name("txtNumRing"), "Number of Rings before FOLLOW ME", 1, follow),
                    text(3, name("txtFXO_Min"), "Minimum digits of dialling ( 1-32)", 32, dialling),
                    text(4, name("txtFXO_Max"), "Maximum digits of dialling ( 1-32)", 32, dialling),
                    text(5, name("txtFXO_DLP"), "Dial Pause (1-255 x 0.1 sec)", 3, dialling),
                    text(6, name("txtFXO_WTP"), "Waiting Timer (1-255 x0.1 sec)", 3, dialling),
                    list(7, name("cmbFXO_BT"), "Cadence of Busy tone on FXO port ", busyCadences(), tones),
                    list(8, name("cmbFXO_BT2"), "Cadence of Reorder tone on FXO port ", busyCadences(), tones),
                    text(9, name("txtFXO_Country"), "Country Code (8 digits)", 8, format),
                    text(10, name("txtFXO_NTNL"), "National Direct Dialling Code -NDD (4 digits)", 4, format),
                    text(11, name("txtFXO_PauseNDD"), "Pause after NDD (0-9 sec)", 1, format),
                    text(12, name("txtFXO_Unobt"), "Number Unobtainable tone (0-255 x0.1 sec)", 3, tones),
                },
            .description = "FXO Data"};
}

RecordLayout fxsLayout()
{
    const char *cid = "Caller ID";
    const char *line = "Dialling and Polarity";
    const char *ring = "Ring Cadence";
    const char *unit = "* 20 ms";
    using RecordLayouts::element;
    return {.code = "FXS",
            .page = Pages::PageFXS,
            .fieldCount = 8,
            .fields =
                {
                    bits("cmbFXS_CID", 1, 3, "CID Generaration Type", cidTypes(), cid),
                    bits("cmbFXS_CID_on", 4, 4, "CID Generaration to FXS port", RecordLayouts::disableEnable(), cid),
                    bits("cmbFXS_Unlist", 8, 8, "Unlisted GSM number readdress to FXS", RecordLayouts::disableEnable(),
                         cid),
                    text(1, name("txtFXS_DLP"), "Dial Pause on FXS Port (1-255 x0.1 sec)", 3, line),
                    text(2, element("txtFXS_Ring", 0), "Ring 1", 3, ring, FieldKind::Text, unit),
                    text(3, element("txtFXS_Pause", 0), "Pause 1", 3, ring, FieldKind::Text, unit),
                    text(4, element("txtFXS_Ring", 1), "Ring 2", 3, ring, FieldKind::Text, unit),
                    text(5, element("txtFXS_Pause", 1), "Pause 2", 3, ring, FieldKind::Text, unit),
                    list(6, name("cmbFXS_Polar"), "Reverse Polarity Type",
                         {"Disable", "Battery Reverse", "Double Reverse", "Break Line"}, line),
                    text(7, name("txtFXS_Polar"), "Reverse Polarity Timer (0-255 x100 ms)", 3, line),
                },
            .selectors = {{.control = "cmbFXS_Signal",
                           .label = "Ring Signal",
                           .entries = {"Single Ring 1 : 1 sec ring , 3 sec pause",
                                       "Single Ring 2 : 2 sec ring , 4 sec pause",
                                       "Double Ring  :0.4 sec ring1 ,0.2 sec pause1 ,0.4 sec ring2 ,2 sec pause2",
                                       "Custom Setting "},
                           .presets = {{"50", "150", "0", "0"}, {"100", "200", "0", "0"}, {"20", "10", "20", "100"}},
                           .fields = {2, 3, 4, 5},
                           .customPosition = 3}},
            .description = "FXS Data"};
}

RecordLayout gsmLayout()
{
    const char *access = "Access";
    const char *calls = "Calls";
    const char *audio = "Audio";
    const char *sim = "SIM Cards";
    const char *radio = "Voice Rate Type";
    const QStringList bands {"Mono 850 Mhz", "Mono 900E Mhz", "Mono 1800 Mhz", "Mono 1900 Mhz", "Dual 850/1900 Mhz",
        "Dual 900E/1800 Mhz", "Dual 900E/1900 Mhz"};
    using RecordLayouts::element;
    return {.code = "GSM",
            .page = Pages::PageGSM,
            .fieldCount = 9,
            .fields =
                {
                    bits("cmbGSM_FxoAccess", 1, 3, "Access Mode",
                         {"Directly to FXS", "Directly to FXO", "GSM CallBack", "GSM Conference"}, access),
                    bits("cmbGSM_FxoViaNum", 4, 4, "Access via Number List", RecordLayouts::disableEnable(), access),
                    bits("cmbGSM_CallVia", 8, 8, "CallBack via GSM/FXO", {"GSM", "FXO"}, access),
                    bits("cmbGSM_PreNum", 16, 0x30, "Presentation of GSM Number",
                         {"CLIR by Network", "CLIR disabled", "CLIR enabled"}, calls),
                    bits("cmbGSM_RepFXO", 64, 0x40, "Repeating 'Access Mode'", RecordLayouts::disableEnable(), access),
                    bits("cmbGSM_inCall", 128, 0x80, "Private Incoming Call", RecordLayouts::disableEnable(), calls),
                    text(1, name("txtGSM_ATL"), "Auto Dialling to FXO port (16 digits)", 16, access),
                    list(2, name("cmbGSM_SPK"), "Speaker Level", RecordLayouts::levelEntries(), audio,
                         FieldKind::SpeakerCode),
                    list(3, name("cmbGSM_MIC"), "Microphone Level", RecordLayouts::levelEntries(), audio,
                         FieldKind::MicrophoneCode),
                    text(4, name("txtGSM_PIN1"), "PIN Code for Sim 1 (max 8 digits)", 8, sim),
                    text(5, name("txtGSM_PIN2"), "PIN Code for Sim 2 (max 8 digits)", 8, sim),
                    list(6, element("cmbGSM_Rate", 1), "OUT", voiceRates(), radio),
                    list(7, element("cmbGSM_Rate", 0), "IN", voiceRates(), radio),
                    list(8, name("cmbGSM_Band"), "Frequency Band", bands, radio),
                },
            .description = "GSM Data"};
}

RecordLayout netLayout()
{
    const char *status = "Network Status";
    using RecordLayouts::element;
    RecordLayout layout {.code = "NET",
                         .page = Pages::PageGSM,
                         .fieldCount = 13,
                         .wideOptionWord = true,
                         .fields =
                             {
                                 bits("cmbGSM_CELL", 1, 3, "Cell Selection", selectModes(), status),
                                 bits("cmbGSM_NET", 16, 0x30, "Net Selection", selectModes(), status),
                                 bits("cmbGSM_TonGsm", 64, 0x40, "'Ringback' Tone from GSM network",
                                      RecordLayouts::disableEnable(), "Calls"),
                                 text(1, name("txtGSM_RXL"), "Cell Signal Level", 2, status, FieldKind::NumberText),
                                 text(2, name("txtGSM_PRD"), "Cell Selection Period", 5, status,
                                      FieldKind::NumberText),
                                 text(3, name("txtGSM_IDCELL"), "Net ID for 'Cell Selection'", 6, status),
                                 text(4, name("txtGSM_MNL"), "Net ID for 'Manual Select'", 6, status),
                             },
                         .description = "Network Data"};
    for (int k = 0; k < 4; ++k) {
        layout.fields.append(text(5 + 2 * k, element("txtGSM_SLCT", k), "Net ID for period", 6, status));
        layout.fields.append(text(6 + 2 * k, element("txtGSM_TMR", k), "Time periods", 5, status));
    }
    return layout;
}

RecordLayout smsLayout()
{
    const char *control = "SMS Control";
    const char *numbers = "Numbers";
    const QStringList onOff = RecordLayouts::disableEnable();
    return {.code = "SMS",
            .page = Pages::PageSMS,
            .fieldCount = 3,
            .fields =
                {
                    bits("cmbSMS_CallBack", 1, 1, "CallBack via SMS", onOff, control),
                    bits("cmbSMS_fxo", 2, 2, "CallBack Number and FXO via SMS", onOff, control),
                    bits("cmbSMS_Setup", 4, 4, "Control setup via SMS", onOff, control),
                    bits("cmbSMS_Confrim", 8, 8, "Sending confirmation SMS", onOff, control),
                    bits("cmbSMS_Control", 16, 16, "Receiving SMS control from specific number", onOff, control),
                    text(1, name("txtSMS_SpeNum"), "Specific GSM number (16 digits)", 16, numbers),
                    text(2, name("txtSMS_Service"), "Service GSM number (16 digits)", 16, numbers),
                },
            .description = "SMS Data"};
}

RecordLayout gwpLayout()
{
    using RecordLayouts::element;
    const char *tones = "Tones";
    const QStringList busy {"480+620 Hz", "425 Hz", "400 Hz"};
    RecordLayout layout {.code = "GWP",
        .page = Pages::PageTONE,
        .fieldCount = 21,
        .fields = {list(0, name("cmbTONE_Work"), "Work Mode", {"Voice Mode", "Data Mode"}, "")},
        .description = "Gateway Data"};
    const struct
    {
        const char *label;
        QStringList entries;
    } types[] {
        {"Dial Tone", {"350+440 Hz", "400+450 Hz", "400 Hz", "350+450 Hz"}},
        {"Busy Tone", busy},
        {"Reorder Tone", busy},
        {"Ringback Tone", {"440+480 Hz", "425 Hz", "400+450 Hz"}},
    };
    for (int t = 0; t < 4; ++t) {
        layout.fields.append(list(2 * t + 1, element("cmbTONE_Type", 2 * t), types[t].label, types[t].entries, tones));
        layout.fields.append(list(2 * t + 2, element("cmbTONE_Type", 2 * t + 1), "Level",
            RecordLayouts::toneLevelEntries(), tones, FieldKind::ToneLevel));
    }
    const char *cadences[] {"Cadence Busy Tone ", "Cadence Reorder Tone ", "Cadence Ringback Tone "};
    const char *phases[] {"ON", "OFF", "ON", "OFF"};
    for (int c = 0; c < 3; ++c) {
        for (int p = 0; p < 4; ++p) {
            const int j = 4 + 4 * c + p;
            layout.fields.append(
                text(j + 5, element("txtTONE", j), phases[p], 0, cadences[c], FieldKind::NumberText, "x 10 ms"));
        }
    }
    return layout;
}

RecordLayout prfLayout()
{
    return {.code = "PRF",
            .page = Pages::PagePRF,
            .fieldCount = 3,
            .fields =
                {
                    {.field = 0, .kind = FieldKind::RowNumber, .label = "#"},
                    {.field = 1, .kind = FieldKind::Cell, .label = "Prefix", .width = 7, .column = 1},
                    {.field = 2, .kind = FieldKind::NumberCell, .label = "SIM number", .width = 7, .column = 2},
                },
            .description = "Prefix ",
            .table = "ucPRF",
            .rows = 32};
}

RecordLayout lstLayout()
{
    return {.code = "LST",
            .page = Pages::PageNumList,
            .fieldCount = 3,
            .fields =
                {
                    {.field = 0, .kind = FieldKind::RowNumber, .label = "#"},
                    {.field = 1, .kind = FieldKind::Cell, .label = "GSM number", .width = 16, .column = 1},
                    {.field = 2,
                     .kind = FieldKind::PackedCells,
                     .entries = {"FXO", "FXS", "CALLBACK", "Conference", "GSM"},
                     .width = 16,
                     .column = 2,
                     .columnCount = 5},
                },
            .description = "Number List ",
            .table = "ucNumList",
            .rows = 64};
}

} // namespace

const FieldLayout *RecordLayout::findControl(const QString &control) const
{
    for (const FieldLayout &field : fields) {
        if (field.control == control)
            return &field;
    }
    return nullptr;
}

namespace RecordLayouts {

QStringList disableEnable()
{
    return {"Disable", "Enable"};
}

QStringList levelEntries()
{
    return {"+6 dB", "+4 dB", "+2 dB", " 0 dB", "-2 dB", "-4 dB", "-6 dB"};
}

QStringList toneLevelEntries()
{
    return {"0 dB", "-1.5 dB", "-3.0 dB", "-4.5 dB", "-6.0 dB", "-7.5 dB", "-9.0 dB", "-10.5 dB"};
}

const QList<RecordLayout> &all()
{
    static const QList<RecordLayout> layouts {
        fxoLayout(), fxsLayout(), gsmLayout(), netLayout(), smsLayout(), gwpLayout(), prfLayout(), lstLayout()};
    return layouts;
}

const RecordLayout *find(const QString &code)
{
    for (const RecordLayout &layout : all()) {
        if (layout.code == code)
            return &layout;
    }
    return nullptr;
}

const RecordLayout *findByControl(const QString &control)
{
    for (const RecordLayout &layout : all()) {
        if (layout.findControl(control))
            return &layout;
        for (const FieldSelector &selector : layout.selectors) {
            if (selector.control == control)
                return &layout;
        }
    }
    return nullptr;
}

QString element(const QString &name, int index)
{
    return name + QLatin1Char('_') + QString::number(index);
}

} // namespace RecordLayouts
