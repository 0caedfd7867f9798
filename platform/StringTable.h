#pragma once

#include <QString>

// The program's numbered message texts ("Ошибка!" is 5, "Не могу открыть файл" 413, ...).
// An unknown number gives an empty text.
QString LoadStr(int number);
