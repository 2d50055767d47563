#pragma once
// Texts inside the player's files are 8-bit characters of the Windows-1250
// code page. These helpers are the one place where such bytes become QString
// and back.
#include <QByteArray>
#include <QString>

namespace voxa {

// Every byte maps to one character; the five bytes the code page leaves
// undefined map to the control characters of the same value, so any byte
// sequence survives a round trip.
QString fromCodePage(QByteArrayView bytes);

// Characters without a byte in the code page become '?' and clear *ok.
QByteArray toCodePage(QStringView text, bool *ok = nullptr);

// True when every character of the text has a byte in the code page.
bool isCodePageText(QStringView text);

// The byte of one character, or -1 when the code page has none.
int codePageByte(QChar c);

}  // namespace voxa
