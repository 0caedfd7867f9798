#pragma once

#include <QString>

// File-name masks of the navigator's searches and checks: a mask is split at its first "." into a name
// mask and an extension mask (without a ".", the name mask is empty and the extension mask is all), and
// each part is simplified: a "?" next to a "*" goes, runs of "*" become one.
QString SimplifyMask(const QString &mask);
void SplitMask(const QString &mask, QString &nameMask, QString &extMask);

// Case-insensitive wildcard match of a whole text: "*" any run, also an empty one; "?" one character.
// An empty pattern matches nothing.
bool MatchMask(const QString &pattern, const QString &text);

// A name's base (up to its last ".") and extension (after it); both empty for a name without ".", so
// only a mask part "*" matches them.
void SplitName(const QString &name, QString &base, QString &ext);
// A file's caption and extension columns in a listing: the extension is what follows the last "."; the
// caption is the name without it, or the whole name when the extension is empty (so "a." stays "a." and
// is never taken for the file "a").
void ListingColumns(const QString &name, QString &caption, QString &ext);
// Both mask parts match the name's parts.
bool NameMatches(const QString &nameMask, const QString &extMask, const QString &name);

// Paths compared by `IsSubPath`: double blanks made single, "/" as "\", and in paths with a drive doubled
// backslashes made single.
QString NormalizePath(const QString &path);
// dst lies inside src (or is src): the normalised src is dst or a leading part of it that ends at a "\".
bool IsSubPath(const QString &src, const QString &dst);
