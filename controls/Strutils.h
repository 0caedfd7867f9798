#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// String functions of the control library. Positions are counted from 1, as the placement store and the
// property store expect them; 0 means "not found". A set of delimiter characters is given as a text that
// holds each delimiter once, e.g. QStringLiteral(" ,").

// Characters and blanks (a blank is the space character only)
bool IsEmptyStr(const QString &s, const QString &chars);
QString DelSpace(const QString &s);
QString DelChars(const QString &s, QChar c);
QString DelBSpace(const QString &s);
QString DelESpace(const QString &s);
QString DelRSpace(const QString &s);
QString DelSpace1(const QString &s);
QString Tab2Space(const QString &s, int spaces);
QString MakeStr(QChar c, int count);
inline QString MS(QChar c, int count) {
    return MakeStr(c, count);
}
QString AddChar(QChar c, const QString &s, int length);
QString AddCharR(QChar c, const QString &s, int length);
QString LeftStr(const QString &s, int length);
QString RightStr(const QString &s, int length);
QString CenterStr(const QString &s, int length);
// The OEM code page of a Russian system is 866; the program's own texts are windows-1251.
QByteArray StrToOem(const QString &s);
QString OemToAnsiStr(const QByteArray &oem);
QString AnsiProperCase(const QString &s, const QString &delimiters);

// Searching and replacing
QString ReplaceStr(const QString &s, const QString &find, const QString &replacement);
int NPos(const QString &c, const QString &s, int n);
QString Copy2Symb(const QString &s, QChar c);
QString Copy2SymbDel(QString &s, QChar c);
QString Copy2Space(const QString &s);
QString Copy2SpaceDel(QString &s);
int CompStr(const QString &s1, const QString &s2);
int CompText(const QString &s1, const QString &s2);
int FindPart(const QString &part, const QString &s);

// Words (maximal runs of non-delimiters) and fields (text between single delimiters)
int WordCount(const QString &s, const QString &delimiters);
int WordPosition(int n, const QString &s, const QString &delimiters);
QString ExtractWord(int n, const QString &s, const QString &delimiters);
QString ExtractWordPos(int n, const QString &s, const QString &delimiters, int &pos);
QString ExtractDelimited(int n, const QString &s, const QString &delimiters);
QString ExtractSubstr(const QString &s, int &pos, const QString &delimiters);
bool IsWordPresent(const QString &w, const QString &s, const QString &delimiters);

// Quoting and numbers
QString QuotedString(const QString &s, QChar quote);
QString ExtractQuotedString(const QString &s, QChar quote);
QString Numb2USA(const QString &s);
QString Dec2Hex(int n, int digits);
inline QString D2H(int n, int digits) {
    return Dec2Hex(n, digits);
}
int Hex2Dec(const QString &s);
inline int H2D(const QString &s) {
    return Hex2Dec(s);
}
// A base outside 2..36 has no digits to write or read: the result is empty or 0.
QString Dec2Numb(int n, int width, int base);
int Numb2Dec(const QString &s, int base);
int RomanToInt(const QString &s);
QString IntToRoman(int n);
// A group of 0 writes the bits without spaces.
QString IntToBin(int n, int digits, int group);

// Wildcards: '*' any run of characters, '?' any one character.
bool IsWild(const QString &s, const QString &pattern, bool ignoreCase);

// Keyed scrambling. The texts are scrambled as their windows-1251 bytes, so every character stays one
// byte and one pair of hexadecimal digits.
QByteArray XorString(const QByteArray &key, const QByteArray &s);
QString XorEncode(const QString &key, const QString &s);
QString XorDecode(const QString &key, const QString &s);

// The argument after the switch, e.g. "-port 3" gives "3" for the switch "port" and the switch characters "-/";
// arguments are the command line without the program name.
QString GetCmdLineArg(const QString &switchName, const QString &switchChars, const QStringList &arguments);
QString GetCmdLineArg(const QString &switchName, const QString &switchChars);
