// Which typed names can become folder names wherever a customer folder may
// travel.
#include "common/TextHelpers.h"

#include <gtest/gtest.h>

TEST(PortableNames, NamesEverySystemCanHoldAreTakenTheOthersRefused)
{
    struct Case {
        QString name;
        bool ok;
    };
    const Case cases[] = {
        {"A001_山田商店", true},
        {"1_東面屋根", true},
        {"K001_Kimura Ltd.co", true},
        {"CONSOLE_1", true},
        {"COM10", true},
        {"波ダッシュ～", true},
        // Written as 0x8160, which reads back as U+FF5E: the name read from
        // the data files would no longer find its folder.
        {"〜波ダッシュ", false},
        {".hidden", false},
        {QString(85, u'\u5C71'), true},  // 255 bytes here
        {"", false},
        {".", false},
        {"..", false},
        {"name.", false},
        {"name ", false},
        {"tab\there", false},
        {QString("nul") + QChar(0) + "x", false},
        {"del\x7F", false},
        {"a/b", false},
        {"a\\b", false},
        {"a:b", false},
        {"a;b", false},
        {"a\"b", false},
        {"CON", false},
        {"con", false},
        {"Aux.txt", false},
        {"NUL .x", false},
        {"COM1", false},
        {"lpt9", false},
        {"caf\u00E9", false},
        {"smile\U0001F600", false},
        {QString(86, u'\u5C71'), false}, // 258 bytes
        {QString(256, u'a'), false},
    };
    for (const Case& k : cases)
        EXPECT_EQ(IsPortableName(k.name), k.ok) << k.name.toStdString();
}
