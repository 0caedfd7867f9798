#pragma once

#include <QString>

// The existing file at this path, its name matched without regard to case when no file has it exactly
// (names stored by a system whose file names ignore case); a name that exists exactly wins over one that
// differs only in case. Empty when there is none. Only the name is matched this way, not the folders.
QString FindFileIgnoringCase(const QString &path);
