#include "navigator/NavMask.h"

QString SimplifyMask(const QString &mask) {
    QString result = mask;
    for (;;) {
        qsizetype at = result.indexOf("?*");
        if (at >= 0) {
            result.remove(at, 1);
            continue;
        }
        at = result.indexOf("*?");
        if (at >= 0) {
            result.remove(at + 1, 1);
            continue;
        }
        at = result.indexOf("**");
        if (at >= 0) {
            result.remove(at, 1);
            continue;
        }
        return result;
    }
}

void SplitMask(const QString &mask, QString &nameMask, QString &extMask) {
    const qsizetype dot = mask.indexOf('.');
    nameMask = dot < 0 ? QString() : SimplifyMask(mask.left(dot));
    extMask = SimplifyMask(dot < 0 ? mask : mask.mid(dot + 1));
}

namespace {

// Backtracking match from the given positions: on a "*", try every length of the run it swallows.
bool MatchFrom(const QString &p, qsizetype i, const QString &t, qsizetype j) {
    while (i < p.size()) {
        if (p[i] == '*') {
            while (i < p.size() && p[i] == '*')
                ++i;
            if (i == p.size())
                return true;
            for (qsizetype k = j; k <= t.size(); ++k)
                if (MatchFrom(p, i, t, k))
                    return true;
            return false;
        }
        if (j >= t.size() || (p[i] != '?' && p[i] != t[j]))
            return false;
        ++i;
        ++j;
    }
    return j == t.size();
}

} // namespace

bool MatchMask(const QString &pattern, const QString &text) {
    if (pattern.isEmpty())
        return false;
    return MatchFrom(SimplifyMask(pattern.toLower()), 0, text.toLower(), 0);
}

void SplitName(const QString &name, QString &base, QString &ext) {
    const qsizetype dot = name.lastIndexOf('.');
    base = dot < 0 ? QString() : name.left(dot);
    ext = dot < 0 ? QString() : name.mid(dot + 1);
}

void ListingColumns(const QString &name, QString &caption, QString &ext) {
    QString base;
    SplitName(name, base, ext);
    caption = ext.isEmpty() ? name : base;
}

bool NameMatches(const QString &nameMask, const QString &extMask, const QString &name) {
    QString base, ext;
    SplitName(name, base, ext);
    return MatchMask(nameMask, base) && MatchMask(extMask, ext);
}

QString NormalizePath(const QString &path) {
    QString result = path;
    while (result.contains("  "))
        result.replace("  ", " ");
    result.replace('/', '\\');
    if (result.contains(':'))
        while (result.contains("\\\\"))
            result.replace("\\\\", "\\");
    return result;
}

bool IsSubPath(const QString &src, const QString &dst) {
    QString from = NormalizePath(src);
    const QString to = NormalizePath(dst);
    while (from.endsWith('\\'))
        from.chop(1);
    return to == from || to.startsWith(from + "\\");
}
