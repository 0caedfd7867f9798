#pragma once

#include <QString>

// Path of a file below tests/fixtures/. The folder is compiled into one small file of the test main
// only: as a definition on every test source it would make each clone of the project compile the
// tests anew instead of taking them from the compiler cache.
QString FixturePath(const QString &relative);
