#include "platform/StringTable.h"

#include <gtest/gtest.h>

namespace {

TEST(StringTable, NumbersGiveTheProgramsTextsExactly) {
    struct Case {
        int number;
        const char16_t *text;
    };
    const Case cases[] = {
        {5, u"Ошибка!"},
        {7, u"Внимание!"},
        {23, u"Выбран неверный порт ! \u000A "},
        {126, u"Вы хотите завершить работу?"},
        {413, u"Не могу открыть файл"},
        {428, u"Анализ\u000Aпараметра"},
        {447, u"Программные \u0079становки"}, // Latin y
        {451, u"Сохранение в протокол не произведено!\u000AРезультаты не готовы."},
        {461, u"Ошибка на интерфейсе I2C"},
        {65243, u"Win32 Error.  Code: %d.\u000A%s"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(LoadStr(c.number), QString::fromUtf16(c.text)) << c.number;
}

TEST(StringTable, UnknownNumbersGiveAnEmptyText) {
    for (int number : {-1, 0, 6, 442, 462, 65535, 1 << 30})
        EXPECT_TRUE(LoadStr(number).isEmpty()) << number;
}

} // namespace
