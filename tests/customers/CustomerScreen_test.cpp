// The customer tab with a customer chosen, in English and Japanese. With
// HX_SCREENS_DIR set, each is saved there as customers-chosen-<en|ja>.png
// (run under Xvfb: xvfb-run -a -s "-screen 0 1366x768x24" with
// QT_QPA_PLATFORM=xcb); the sort dialog is saved beside them.
#include "customers/support/CustomerTabEnv.h"

#include <QApplication>
#include <QPainter>
#include <QScreen>

using namespace CustomerTabTest;

namespace {

void Settle()
{
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents();
}

QPixmap Shot(QWidget& w)
{
    if (QScreen* s = w.screen(); s && QGuiApplication::platformName() == QLatin1String("xcb")) {
        const QRect g = w.frameGeometry();
        QPixmap shot = s->grabWindow(0, g.x(), g.y(), g.width(), g.height());
        if (!shot.isNull())
            return shot;
    }
    return w.grab();
}

void TakeScreens(const QString& code, const QString& suffix)
{
    CustomerTabEnv t;
    const bool ja = suffix == u"ja";
    const QList<CustomerSpec> customers = {
        {"A001", ja ? "山田商店" : "Yamada Store", ja ? "ヤマダショウテン" : "yamada", ja ? "本社屋上" : "Head office roof",
         "100-0001", ja ? "東京都千代田区1-1" : "1-1 Chiyoda, Tokyo", "03-1234-5678", "2024/04/01", {}, "12.5"},
        {"A002", ja ? "佐藤農園" : "Sato Farm", ja ? "サトウノウエン" : "sato", ja ? "第2農場" : "Farm 2", "390-0001",
         ja ? "長野県松本市2-3" : "2-3 Matsumoto, Nagano", "0263-11-2222", "2023/11/20", {}, "48"},
        {"B105", ja ? "北工業" : "Kita Industries", ja ? "キタコウギョウ" : "kita", ja ? "倉庫屋根" : "Warehouse roof",
         "060-0001", ja ? "北海道札幌市4-5" : "4-5 Sapporo, Hokkaido", "011-333-4444", "2024/02/15", {}, "96"},
    };
    for (CustomerSpec c : customers) {
        if (c.code == "A001")
            c.histories = {{1, ja ? "東面屋根" : "East roof", "2024/05/10", ja ? "晴れ 日射良好" : "Sunny, clear sky",
                            {ja ? "佐藤電設" : "Sato Electric", ja ? "山本工務店" : "Yamamoto Builders"}},
                           {2, ja ? "西面屋根" : "West roof", "2024/05/11", "", {}}};
        t.Write(c);
    }
    const QString history = t.Folder(ja ? "A001_山田商店" : "A001_Yamada Store") + (ja ? "/1_東面屋根" : "/1_East roof");
    FrmMain& f = t.Load(code);
    {
        QImage site(1600, 1200, QImage::Format_RGB32);
        site.fill(QColor(120, 170, 220));
        QPainter p(&site);
        p.fillRect(0, 700, 1600, 500, QColor(60, 60, 80));
        for (int x = 100; x < 1500; x += 230)
            p.fillRect(x, 760, 200, 380, QColor(30, 40, 110));
        p.end();
        QDir().mkpath(history + "/" + Ui(540));
        site.save(history + "/" + Ui(540) + "/site.jpg");
        WriteLinesAtomic(history + "/PictureData.csv", {"site.jpg", "", "", ""});
    }
    f.show();
    Settle();
    t.ClickCustomer("A001");
    Settle();
    EXPECT_EQ(t.TakeMessages(), QStringList());
    const QSize need = f.minimumSizeHint();
    EXPECT_LE(need.width(), 1366);
    EXPECT_LE(need.height(), 768 - 80);

    const QString dir = qEnvironmentVariable("HX_SCREENS_DIR");
    EXPECT_TRUE(Shot(f).save(dir + "/customers-chosen-" + suffix + ".png"));
    t.Click("CmdBtn", 2);
    Settle();
    if (FrmCustomerSort* sort = FrmCustomerSort::Loaded())
        EXPECT_TRUE(Shot(*sort).save(dir + "/customer-sort-" + suffix + ".png"));
    FrmCustomerSortUnload();
}

} // namespace

TEST(CustomerScreens, ChosenCustomerInEnglishAndJapanese)
{
    if (qEnvironmentVariableIsEmpty("HX_SCREENS_DIR"))
        GTEST_SKIP() << "HX_SCREENS_DIR not set";
    TakeScreens(QStringLiteral("1"), QStringLiteral("en"));
    TakeScreens(QStringLiteral("81"), QStringLiteral("ja"));
}
