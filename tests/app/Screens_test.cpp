// The main window's tabs fit a 1366 x 768 screen in both languages, and a
// message box under the Japanese language file speaks Japanese on its
// buttons too. With HX_SCREENS_DIR set, each tab is also saved there as
// <tab>-<en|ja>.png, and the message box as messagebox-ja.png (run under
// Xvfb: xvfb-run -a -s "-screen 0 1366x768x24" with QT_QPA_PLATFORM=xcb).
#include "MainWindowEnv.h"
#include "platform/QtDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>

#include <QSignalBlocker>

#include <gtest/gtest.h>

namespace {

void waitForPaint()
{
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents();
}

void checkTabs(const QString& code, const QString& suffix)
{
    MainWindowEnv w;
    FrmMain& f = w.load(code);
    f.show();
    waitForPaint();
    const QString dir = qEnvironmentVariable("HX_SCREENS_DIR");
    static const char* const names[4] = {"customers", "measurement", "instrument", "catalogue"};
    for (int t = 0; t < 4; ++t) {
        {
            // The measurement tabs are shown without a customer chosen,
            // which entering them would refuse.
            const QSignalBlocker quiet(t == 1 || t == 2 ? f.SSTab : nullptr);
            f.SSTab->setCurrentIndex(t);
        }
        waitForPaint();
        // Nothing of the tab is squeezed below what its controls need.
        const QSize need = f.minimumSizeHint();
        EXPECT_LE(need.width(), 1366) << names[t];
        EXPECT_LE(need.height(), 768 - 80) << names[t];
        if (!dir.isEmpty()) {
            QPixmap shot;
            if (QScreen* s = f.screen(); s && QGuiApplication::platformName() == QLatin1String("xcb"))
                shot = s->grabWindow(0, f.frameGeometry().x(), f.frameGeometry().y(),
                                     f.frameGeometry().width(), f.frameGeometry().height());
            if (shot.isNull())
                shot = f.grab();
            EXPECT_TRUE(
                shot.save(dir + u'/' + QLatin1String(names[t]) + u'-' + suffix + QStringLiteral(".png")));
        }
    }
    if (!dir.isEmpty()) {
        f.SSTab->setCurrentIndex(3);
        f.SSTab2->setCurrentIndex(1);
        waitForPaint();
        f.grab().save(dir + QStringLiteral("/catalogue-powcon-") + suffix + QStringLiteral(".png"));
    }
}

} // namespace

TEST(MainWindowScreens, EnglishTabsFitTheScreen)
{
    checkTabs(QStringLiteral("1"), QStringLiteral("en"));
}

TEST(MainWindowScreens, JapaneseTabsFitTheScreen)
{
    checkTabs(QStringLiteral("81"), QStringLiteral("ja"));
}

TEST(MessageBoxScreens, AJapaneseQuestionHasJapaneseButtons)
{
    TestEnv env;
    TestEnv::loadUiText(QStringLiteral("Japanese"));
    Global::LanguageList[0] = {QStringLiteral("日本語"), QStringLiteral("81")};
    Global::LanguageCount = 1;
    LoadQtTranslations(0);
    setDialogs(std::make_unique<QtDialogs>()); // the real box, answered below

    QStringList buttons;
    QString text;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        poll.stop();
        waitForPaint();
        text = box->text();
        for (QAbstractButton* b : box->buttons())
            buttons << b->text();
        const QString dir = qEnvironmentVariable("HX_SCREENS_DIR");
        if (!dir.isEmpty())
            EXPECT_TRUE(box->grab().save(dir + QStringLiteral("/messagebox-ja.png")));
        box->button(QMessageBox::No)->click();
    });
    poll.start(20);
    // The end question of the main window.
    EXPECT_EQ(MsgBox(Global::UiText[516], vbYesNo | vbQuestion | vbDefaultButton1), vbNo);
    LoadQtTranslations(-1);

    EXPECT_EQ(text, Global::UiText[516]);
    buttons.sort();
    EXPECT_EQ(buttons, (QStringList{QStringLiteral("いいえ(&N)"), QStringLiteral("はい(&Y)")}));
}
