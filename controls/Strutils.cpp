#include "controls/Strutils.h"

#include "platform/Cp1251.h"
#include "platform/NumberFormat.h"

#include <QCoreApplication>
#include <QStringDecoder>
#include <QStringEncoder>

#include <array>
#include <cstdint>

namespace {

constexpr QChar kSpace = u' ';

bool IsDelimiter(QChar c, const QString &delimiters) {
    return delimiters.contains(c);
}

int Sign(int value) {
    return (value > 0) - (value < 0);
}

int HexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

int RomanDigit(QChar c) {
    switch (c.toUpper().unicode()) {
    case u'I':
        return 1;
    case u'V':
        return 5;
    case u'X':
        return 10;
    case u'L':
        return 50;
    case u'C':
        return 100;
    case u'D':
        return 500;
    case u'M':
        return 1000;
    default:
        return 0;
    }
}

} // namespace

bool IsEmptyStr(const QString &s, const QString &chars) {
    for (QChar c : s)
        if (!chars.contains(c))
            return false;
    return true;
}

QString DelSpace(const QString &s) {
    return DelChars(s, kSpace);
}

QString DelChars(const QString &s, QChar c) {
    QString result = s;
    result.remove(c);
    return result;
}

QString DelBSpace(const QString &s) {
    qsizetype i = 0;
    while (i < s.size() && s[i] == kSpace)
        ++i;
    return s.mid(i);
}

QString DelESpace(const QString &s) {
    qsizetype n = s.size();
    while (n > 0 && s[n - 1] == kSpace)
        --n;
    return s.left(n);
}

QString DelRSpace(const QString &s) {
    return DelBSpace(DelESpace(s));
}

QString DelSpace1(const QString &s) {
    QString result;
    result.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i)
        if (s[i] != kSpace || i == 0 || s[i - 1] != kSpace)
            result.append(s[i]);
    return result;
}

QString Tab2Space(const QString &s, int spaces) {
    QString result = s;
    return result.replace(u'\t', MakeStr(kSpace, spaces));
}

QString MakeStr(QChar c, int count) {
    return count > 0 ? QString(count, c) : QString();
}

QString AddChar(QChar c, const QString &s, int length) {
    return s.size() < length ? MakeStr(c, length - int(s.size())) + s : s;
}

QString AddCharR(QChar c, const QString &s, int length) {
    return s.size() < length ? s + MakeStr(c, length - int(s.size())) : s;
}

QString LeftStr(const QString &s, int length) {
    return AddCharR(kSpace, s, length);
}

QString RightStr(const QString &s, int length) {
    return AddChar(kSpace, s, length);
}

QString CenterStr(const QString &s, int length) {
    if (s.size() >= length)
        return s;
    return AddCharR(kSpace, MakeStr(kSpace, length / 2 - int(s.size()) / 2) + s, length);
}

QByteArray StrToOem(const QString &s) {
    QStringEncoder toOem("IBM866");
    return toOem.encode(s);
}

QString OemToAnsiStr(const QByteArray &oem) {
    QStringDecoder fromOem("IBM866");
    return fromOem.decode(oem);
}

QString AnsiProperCase(const QString &s, const QString &delimiters) {
    QString result = s.toLower();
    for (qsizetype i = 0; i < result.size(); ++i)
        if (!IsDelimiter(result[i], delimiters) && (i == 0 || IsDelimiter(result[i - 1], delimiters)))
            result[i] = result[i].toUpper();
    return result;
}

QString ReplaceStr(const QString &s, const QString &find, const QString &replacement) {
    if (find.isEmpty())
        return s;
    QString result = s;
    return result.replace(find, replacement, Qt::CaseSensitive);
}

int NPos(const QString &c, const QString &s, int n) {
    if (c.isEmpty() || n < 1)
        return 0;
    qsizetype found = -1;
    for (int k = 0; k < n; ++k) {
        found = s.indexOf(c, found + 1);
        if (found < 0)
            return 0;
    }
    return int(found) + 1;
}

QString Copy2Symb(const QString &s, QChar c) {
    const qsizetype at = s.indexOf(c);
    return at < 0 ? s : s.left(at);
}

QString Copy2SymbDel(QString &s, QChar c) {
    const QString head = Copy2Symb(s, c);
    s = DelBSpace(s.mid(head.size()));
    return head;
}

QString Copy2Space(const QString &s) {
    return Copy2Symb(s, kSpace);
}

QString Copy2SpaceDel(QString &s) {
    return Copy2SymbDel(s, kSpace);
}

int CompStr(const QString &s1, const QString &s2) {
    return Sign(QString::localeAwareCompare(s1, s2));
}

int CompText(const QString &s1, const QString &s2) {
    return Sign(QString::localeAwareCompare(s1.toUpper(), s2.toUpper()));
}

int FindPart(const QString &part, const QString &s) {
    if (part.isEmpty() || part.size() > s.size())
        return 0;
    if (!part.contains(u'?'))
        return int(s.indexOf(part)) + 1;
    for (qsizetype start = 0; start + part.size() <= s.size(); ++start) {
        qsizetype k = 0;
        while (k < part.size() && (part[k] == u'?' || part[k] == s[start + k]))
            ++k;
        if (k == part.size())
            return int(start) + 1;
    }
    return 0;
}

int WordCount(const QString &s, const QString &delimiters) {
    int count = 0;
    for (qsizetype i = 0; i < s.size(); ++i)
        if (!IsDelimiter(s[i], delimiters) && (i == 0 || IsDelimiter(s[i - 1], delimiters)))
            ++count;
    return count;
}

int WordPosition(int n, const QString &s, const QString &delimiters) {
    int count = 0;
    for (qsizetype i = 0; i < s.size(); ++i)
        if (!IsDelimiter(s[i], delimiters) && (i == 0 || IsDelimiter(s[i - 1], delimiters)) && ++count == n)
            return int(i) + 1;
    return 0;
}

QString ExtractWordPos(int n, const QString &s, const QString &delimiters, int &pos) {
    pos = WordPosition(n, s, delimiters);
    if (pos == 0)
        return {};
    qsizetype end = pos - 1;
    while (end < s.size() && !IsDelimiter(s[end], delimiters))
        ++end;
    return s.mid(pos - 1, end - (pos - 1));
}

QString ExtractWord(int n, const QString &s, const QString &delimiters) {
    int pos = 0;
    return ExtractWordPos(n, s, delimiters, pos);
}

QString ExtractDelimited(int n, const QString &s, const QString &delimiters) {
    int field = 1;
    QString text;
    for (QChar c : s) {
        if (IsDelimiter(c, delimiters)) {
            if (field == n)
                return text;
            ++field;
        } else if (field == n) {
            text.append(c);
        }
    }
    return field == n ? text : QString();
}

QString ExtractSubstr(const QString &s, int &pos, const QString &delimiters) {
    qsizetype i = qMax(pos, 1) - 1;
    const qsizetype start = i;
    while (i < s.size() && !IsDelimiter(s[i], delimiters))
        ++i;
    const QString result = s.mid(start, i - start);
    pos = int(i < s.size() ? i + 2 : s.size() + 1);
    return result;
}

bool IsWordPresent(const QString &w, const QString &s, const QString &delimiters) {
    const int count = WordCount(s, delimiters);
    for (int n = 1; n <= count; ++n)
        if (ExtractWord(n, s, delimiters) == w)
            return true;
    return false;
}

QString QuotedString(const QString &s, QChar quote) {
    QString doubled = s;
    doubled.replace(quote, QString(2, quote));
    return quote + doubled + quote;
}

QString ExtractQuotedString(const QString &s, QChar quote) {
    if (s.isEmpty() || s[0] != quote)
        return s;
    QString result;
    for (qsizetype i = 1; i < s.size(); ++i) {
        if (s[i] != quote) {
            result.append(s[i]);
        } else if (i + 1 < s.size() && s[i + 1] == quote) {
            result.append(quote);
            ++i;
        } else {
            break;
        }
    }
    return result;
}

QString Numb2USA(const QString &s) {
    QString result = s;
    for (qsizetype at = result.size() - 3; at > 0; at -= 3)
        result.insert(at, u',');
    return result;
}

QString Dec2Hex(int n, int digits) {
    return AddChar(u'0', QString::number(static_cast<uint32_t>(n), 16).toUpper(), digits);
}

int Hex2Dec(const QString &s) {
    return ParseInt(s.contains(u'$') ? s : u'$' + s).value_or(0);
}

QString Dec2Numb(int n, int width, int base) {
    if (base < 2 || base > 36)
        return {};
    auto value = static_cast<uint32_t>(n);
    if (value == 0)
        return QStringLiteral("0");
    QString digits;
    while (value != 0) {
        const auto digit = static_cast<int>(value % uint32_t(base));
        digits.prepend(QChar(digit < 10 ? u'0' + digit : u'A' + digit - 10));
        value /= uint32_t(base);
    }
    return AddChar(u'0', digits, width);
}

int Numb2Dec(const QString &s, int base) {
    if (base < 2 || base > 36)
        return 0;
    const QString upper = s.toUpper();
    uint32_t result = 0;
    uint32_t weight = 1;
    for (qsizetype i = upper.size() - 1; i >= 0; --i) {
        const uint32_t code = upper[i].unicode();
        result += (code <= 64 ? code - 48 : code - 55) * weight;
        weight *= uint32_t(base);
    }
    return static_cast<int>(result);
}

int RomanToInt(const QString &s) {
    const bool negative = s.startsWith(u'-');
    int result = 0;
    for (qsizetype i = negative ? 1 : 0; i < s.size(); ++i) {
        const int digit = RomanDigit(s[i]);
        if (digit == 0)
            return 0;
        const int next = i + 1 < s.size() ? RomanDigit(s[i + 1]) : 0;
        if (digit < next) {
            result += next - digit;
            ++i;
        } else {
            result += digit;
        }
    }
    return negative ? -result : result;
}

QString IntToRoman(int n) {
    struct RomanStep {
        int value;
        const char *letters;
    };
    static constexpr std::array<RomanStep, 13> kSteps = {{{1000, "M"},
                                                          {900, "CM"},
                                                          {500, "D"},
                                                          {400, "CD"},
                                                          {100, "C"},
                                                          {90, "XC"},
                                                          {50, "L"},
                                                          {40, "XL"},
                                                          {10, "X"},
                                                          {9, "IX"},
                                                          {5, "V"},
                                                          {4, "IV"},
                                                          {1, "I"}}};
    QString result;
    for (const RomanStep &step : kSteps)
        for (; n >= step.value; n -= step.value)
            result += QLatin1String(step.letters);
    return result;
}

QString IntToBin(int n, int digits, int group) {
    const auto bits = static_cast<uint32_t>(n);
    QString result;
    for (int remaining = qMin(digits, 32); remaining >= 1; --remaining) {
        if (group != 0 && remaining % group == 0)
            result.append(kSpace);
        result.append((bits >> (remaining - 1)) & 1u ? u'1' : u'0');
    }
    return result;
}

bool IsWild(const QString &s, const QString &pattern, bool ignoreCase) {
    if (s == pattern)
        return true;
    QString mask = pattern;
    while (mask.contains(QLatin1String("**")))
        mask.replace(QLatin1String("**"), QLatin1String("*"));
    if (mask == QLatin1String("*"))
        return true;
    QString text = s;
    if (ignoreCase) {
        text = text.toUpper();
        mask = mask.toUpper();
    }
    if (text.isEmpty() || mask.isEmpty())
        return false;

    qsizetype i = 0;
    qsizetype j = 0;
    while (j < text.size() && i < mask.size()) {
        if (mask[i] == u'*') {
            const qsizetype nextStar = mask.indexOf(u'*', i + 1);
            if (nextStar < 0) {
                // The rest of the pattern must match the end of the text, and must fit into what the
                // text has left after the part already matched.
                const QString tail = mask.mid(i + 1);
                if (tail.size() > text.size() - j)
                    return false;
                for (qsizetype k = 1; k <= tail.size(); ++k) {
                    const QChar c = tail[tail.size() - k];
                    if (c != u'?' && c != text[text.size() - k])
                        return false;
                }
                return true;
            }
            const QString part = mask.mid(i + 1, nextStar - i - 1);
            i = nextStar;
            const int found = FindPart(part, text.mid(j));
            if (found == 0)
                return false;
            j += found - 1 + part.size();
        } else if (mask[i] == u'?' || mask[i] == text[j]) {
            ++i;
            ++j;
        } else {
            return false;
        }
    }
    if (j < text.size())
        return false;
    // What is left of the pattern can only match the empty rest of the text when it is a lone "*".
    return i == mask.size() || mask.mid(i) == QLatin1String("*");
}

QByteArray XorString(const QByteArray &key, const QByteArray &s) {
    if (key.isEmpty())
        return s;
    QByteArray result = s;
    for (qsizetype i = 0; i < result.size(); ++i)
        result[i] = char(result[i] ^ key[i % key.size()]);
    return result;
}

QString XorEncode(const QString &key, const QString &s) {
    return QString::fromLatin1(XorString(ToCp1251(key), ToCp1251(s)).toHex());
}

QString XorDecode(const QString &key, const QString &s) {
    QByteArray bytes;
    for (qsizetype i = 0; i + 1 < s.size(); i += 2) {
        const int high = HexDigit(s[i]);
        const int low = HexDigit(s[i + 1]);
        bytes.append(high < 0 || low < 0 ? ' ' : char(high * 16 + low));
    }
    return FromCp1251(XorString(ToCp1251(key), bytes));
}

QString GetCmdLineArg(const QString &switchName, const QString &switchChars, const QStringList &arguments) {
    for (qsizetype i = 0; i + 1 < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        const bool isSwitch = switchChars.isEmpty() || (argument.size() > 1 && switchChars.contains(argument[0]));
        if (isSwitch && argument.mid(1).compare(switchName, Qt::CaseInsensitive) == 0)
            return arguments[i + 1];
    }
    return {};
}

QString GetCmdLineArg(const QString &switchName, const QString &switchChars) {
    return GetCmdLineArg(switchName, switchChars, QCoreApplication::arguments().mid(1));
}
