#pragma once

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QString>

class QTextDocument;

// Writes a text document as Rich Text Format with the colour, font, size and
// weight of every piece: a small writer of our own, since Qt reads no RTF and
// writes none. Characters are escaped for RTF: "\", "{" and "}" with a backslash,
// control characters and Latin-1 characters beyond ASCII as the byte \'hh,
// anything else as \uN.
class RtfWriter
{
public:
    QByteArray write(const QTextDocument &document);

    // text as RTF body text, line breaks not included.
    static QByteArray escaped(const QString &text);

private:
    int fontIndex(const QString &family);
    int colourIndex(const QColor &colour);

    QList<QString> m_fonts;
    QList<QColor> m_colours;
};
