#include "rtfwriter.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

#include <cmath>

QByteArray RtfWriter::escaped(const QString &text)
{
    QByteArray out;
    out.reserve(text.size() + text.size() / 8);
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\\' || u == u'{' || u == u'}') {
            out += '\\';
            out += char(u);
        } else if (u == u'\t') {
            out += "\\tab ";
        } else if (u >= 0x20 && u < 0x7F) {
            out += char(u);
        } else if (u <= 0xFF) {
            // Control characters and every byte above 0x7F as the byte itself, so
            // the file carries the traffic as it came off the wire (Latin-1), just
            // as the plain-text save does.
            out += "\\'" + QByteArray::number(u, 16).rightJustified(2, '0');
        } else {
            // What no wire byte gives (text typed for Analyze) as a signed 16-bit
            // Unicode value, with "?" for readers that know no \u.
            out += "\\u" + QByteArray::number(qint16(u)) + '?';
        }
    }
    return out;
}

int RtfWriter::fontIndex(const QString &family)
{
    qsizetype index = m_fonts.indexOf(family);
    if (index < 0) {
        m_fonts.append(family);
        index = m_fonts.size() - 1;
    }
    return int(index);
}

int RtfWriter::colourIndex(const QColor &colour)
{
    // Index 0 of the colour table is the reader's default colour.
    qsizetype index = m_colours.indexOf(colour);
    if (index < 0) {
        m_colours.append(colour);
        index = m_colours.size() - 1;
    }
    return int(index) + 1;
}

QByteArray RtfWriter::write(const QTextDocument &document)
{
    m_fonts.clear();
    m_colours.clear();

    QByteArray body;
    int font = -1;
    int colour = -1;
    int halfPoints = -1;
    int bold = -1;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block != document.begin())
            body += "\\par\n";
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid())
                continue;
            const QTextCharFormat format = fragment.charFormat();
            const QFont f = format.font();
            QByteArray controls;
            if (const int index = fontIndex(f.family()); index != font) {
                font = index;
                controls += "\\f" + QByteArray::number(index);
            }
            const QColor fg = format.foreground().color();
            if (const int index = colourIndex(fg); index != colour) {
                colour = index;
                controls += "\\cf" + QByteArray::number(index);
            }
            const double points = f.pointSizeF() > 0 ? f.pointSizeF() : 10.0;
            if (const int size = int(std::lround(points * 2)); size != halfPoints) {
                halfPoints = size;
                controls += "\\fs" + QByteArray::number(size);
            }
            if (const int b = f.bold() ? 1 : 0; b != bold) {
                bold = b;
                controls += b ? "\\b" : "\\b0";
            }
            if (!controls.isEmpty())
                body += controls + ' ';
            body += escaped(fragment.text());
        }
    }

    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0\n{\\fonttbl";
    for (qsizetype i = 0; i < m_fonts.size(); ++i)
        rtf += "{\\f" + QByteArray::number(i) + "\\fmodern " + escaped(m_fonts.at(i)) + ";}";
    rtf += "}\n{\\colortbl;";
    for (const QColor &c : std::as_const(m_colours)) {
        rtf += "\\red" + QByteArray::number(c.red()) + "\\green" + QByteArray::number(c.green()) + "\\blue"
            + QByteArray::number(c.blue()) + ';';
    }
    rtf += "}\n\\uc1\\pard ";
    rtf += body;
    rtf += "\\par\n}\n";
    return rtf;
}
