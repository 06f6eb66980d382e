#pragma once
// The real main window in a temporary data folder, for driving the customer
// tab through its controls: customer folders written as users have them,
// clicks on buttons and list rows, typing into boxes, and the boxes' texts.
#include "app/MainWindowEnv.h"
#include "common/Captions.h"
#include "customers/CustomerGlobals.h"
#include "customers/CustomerTab.h"
#include "customers/support/CustomerFixture.h"
#include "platform/AnsiCodec.h"
#include "platform/FileIo.h"
#include "platform/FlexGrid.h"

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabWidget>

#include <gtest/gtest.h>

namespace CustomerTabTest {

inline QString Name(const char* name, int index)
{
    return QString::fromLatin1(name) + u'_' + QString::number(index);
}

// One history folder to write: its name, date, totals line, memo, five
// contractor names and picture lines.
struct HistorySpec {
    int number;
    QString name;
    QString date;
    QString memo;
    QStringList contractors; // names of contractors 0..4 (phones and persons empty)
};

// One customer folder to write.
struct CustomerSpec {
    QString code, name, reading, site, postal, address, phone1, date;
    QList<HistorySpec> histories;
    QString totalPm;
};

// Customer H001 Hayashi with histories 1 to `histories` ("Job1" ...), each
// with a date, a memo and a first contractor.
inline CustomerSpec Hayashi(int histories)
{
    CustomerSpec c{"H001", "Hayashi", "hayashi", "Farm", "111-2222", "Nagano", "026-1", "2024/01/01", {}, "5"};
    for (int i = 1; i <= histories; ++i)
        c.histories.append({i, QStringLiteral("Job%1").arg(i), QStringLiteral("2024/02/%1").arg(i, 2, 10, QChar('0')),
                            QStringLiteral("memo %1").arg(i), {QStringLiteral("Firm%1").arg(i)}});
    return c;
}

class CustomerTabEnv {
  public:
    MainWindowEnv w;

    CustomerTabEnv()
    {
        Global::HistoryPage = 0;
        Global::CurUserRow = 0;
        Global::CurUserIndex = 0;
        Global::UserListCount = 0;
        Global::SortColumn = 0;
        Global::SortDirection = 0;
        Global::HistoryNameEdited = false;
        Global::LoadedCustomerKey.clear();
        Global::ContractorClip = {};
        Global::UserListItems.fill(UserListItem{});
        Global::ShellOpenOverride = [this](const QString& target) { opened << target; };
        QDir().mkpath(Users());
    }
    ~CustomerTabEnv()
    {
        Global::ShellOpenOverride = nullptr;
        FrmCustomerSortUnload();
    }

    // Loads the main window (English), which builds the customer list.
    FrmMain& Load(const QString& language = QStringLiteral("1")) { return w.load(language); }

    // Writes customer `c`, loads the main window and chooses the customer;
    // the messages of the way there are dropped. Returns its folder.
    QString Open(const CustomerSpec& c)
    {
        const QString folder = Write(c);
        Load();
        ClickCustomer(c.code);
        TakeMessages();
        return folder;
    }

    QString Users() const { return w.env.dataFolder() + QStringLiteral("/USER_DATA"); }
    QString Folder(const QString& key) const { return Users() + u'/' + key; }
    ScriptedDialogs& Dialogs() { return *w.env.dialogs; }

    // Writes a customer folder as the program writes it.
    QString Write(const CustomerSpec& c) const
    {
        const QString folder = Folder(c.code + u'_' + c.name);
        QDir().mkpath(folder);
        EXPECT_TRUE(WriteLinesAtomic(folder + QStringLiteral("/UserData.csv"),
                                     {c.code, c.name, c.reading, c.site, c.postal, c.address, c.phone1,
                                      QStringLiteral("0120-000"), QStringLiteral("m@example.jp"), c.date,
                                      QStringLiteral("memo of ") + c.code}));
        QStringList maker{c.totalPm};
        for (int g = 0; g < 10; ++g)
            maker << QString() << QStringLiteral(",,,,,") << QStringLiteral(",,,,,") << QStringLiteral(",,,,,")
                  << QStringLiteral(",,,,,") << QStringLiteral(",,,,,") << QString() << QString() << QString();
        maker << QString();
        EXPECT_TRUE(WriteLinesAtomic(folder + QStringLiteral("/MakerData.csv"), maker));
        for (const HistorySpec& h : c.histories)
            WriteHistory(folder, h);
        return folder;
    }

    static void WriteHistory(const QString& folder, const HistorySpec& h)
    {
        const QString hf = folder + u'/' + QString::number(h.number) + u'_' + h.name;
        QDir().mkpath(hf + QStringLiteral("/Pictures"));
        EXPECT_TRUE(WriteLinesAtomic(hf + QStringLiteral("/MeasData.csv"),
                                     {h.name, h.date, QStringLiteral("SEL_OK,1.5"), QStringLiteral("SEL_OK,40"),
                                      QStringLiteral("SEL_OK,9"), QString(), QString(), QString(), QString(),
                                      h.memo}));
        EXPECT_TRUE(WriteLinesAtomic(hf + QStringLiteral("/PictureData.csv"), {QString(), QString(), QString(), QString()}));
        QStringList contractors;
        for (int k = 0; k < 5; ++k)
            contractors << h.contractors.value(k) << QString() << QString();
        EXPECT_TRUE(WriteLinesAtomic(hf + QStringLiteral("/ConstructionContractor.csv"), contractors));
    }

    // ---- Controls -----------------------------------------------------------

    QObject* Ctl(const QString& name) const
    {
        QObject* o = w.form ? w.form->controlObject(name) : nullptr;
        EXPECT_NE(o, nullptr) << name.toStdString();
        return o;
    }
    QObject* Ctl(const char* name, int index) const { return Ctl(Name(name, index)); }
    QString Text(const QString& name) const { return TextOf(Ctl(name)); }
    QString Text(const char* name, int index) const { return Text(Name(name, index)); }
    FlexGrid& Grid() const { return *qobject_cast<FlexGrid*>(Ctl(QStringLiteral("MfgUserList"))); }
    QTabWidget& Tabs() const { return *qobject_cast<QTabWidget*>(Ctl(QStringLiteral("SSTab"))); }
    bool Enabled(const QString& name) const { return qobject_cast<QWidget*>(Ctl(name))->isEnabled(); }

    // Clicks a button, as the user does.
    void Click(const QString& name) const
    {
        auto* b = qobject_cast<QAbstractButton*>(Ctl(name));
        ASSERT_NE(b, nullptr) << name.toStdString();
        ASSERT_TRUE(b->isEnabled()) << name.toStdString() << " is disabled";
        b->click();
    }
    void Click(const char* name, int index) const { Click(Name(name, index)); }
    void Trigger(const QString& action) const { qobject_cast<QAction*>(Ctl(action))->trigger(); }

    // Clicks data row `row` of the customer list.
    void ClickRow(int row) const
    {
        FlexGrid& g = Grid();
        g.setRow(row);
        emit g.Click();
    }
    // The grid row showing customer `code`, 0 when none.
    int RowOf(const QString& code) const
    {
        for (int r = 1; r < Grid().Rows(); ++r)
            if (Grid().TextMatrix(r, 0) == code)
                return r;
        return 0;
    }
    void ClickCustomer(const QString& code) const
    {
        const int row = RowOf(code);
        ASSERT_GT(row, 0) << code.toStdString();
        ClickRow(row);
    }
    // Column `col` of every data row, top to bottom.
    QStringList Column(int col) const
    {
        QStringList out;
        for (int r = 1; r < Grid().Rows(); ++r)
            out << Grid().TextMatrix(r, col);
        return out;
    }

    // Replaces a box's text as typing does (marking the tab edited through
    // the window's key rule).
    void Type(const QString& box, const QString& text) const
    {
        QObject* o = Ctl(box);
        auto* w = qobject_cast<QWidget*>(o);
        ASSERT_TRUE(w && w->isEnabled()) << box.toStdString() << " is locked";
        if (auto* e = qobject_cast<QLineEdit*>(o))
            e->selectAll();
        else if (auto* m = qobject_cast<QPlainTextEdit*>(o))
            m->selectAll();
        // The old text goes with the Delete key, as a user removes it.
        QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
        QCoreApplication::sendEvent(o, &del);
        for (QChar ch : text) {
            QKeyEvent press(QEvent::KeyPress, ch.isLetterOrNumber() ? Qt::Key_A : 0, Qt::NoModifier, QString(ch));
            QCoreApplication::sendEvent(o, &press);
            QKeyEvent release(QEvent::KeyRelease, ch.isLetterOrNumber() ? Qt::Key_A : 0, Qt::NoModifier,
                              QString(ch));
            QCoreApplication::sendEvent(o, &release);
        }
    }
    void Type(const char* box, int index, const QString& text) const { Type(Name(box, index), text); }
    // Puts a text into a box as a paste does (characters no key types).
    void Paste(const QString& box, const QString& text) const
    {
        auto* e = qobject_cast<QLineEdit*>(Ctl(box));
        ASSERT_NE(e, nullptr);
        e->selectAll();
        e->insert(text);
        Global::TabModified[0] = true;
    }

    // The texts of the message boxes shown since the last call.
    QStringList TakeMessages()
    {
        QStringList out = Dialogs().messages();
        Dialogs().log.clear();
        return out;
    }

    QStringList opened; // folders handed to the desktop
};

// The same files with the same bytes; the paths that differ otherwise.
inline ::testing::AssertionResult SameFiles(const QMap<QString, QByteArray>& now,
                                            const QMap<QString, QByteArray>& expected)
{
    QStringList differ;
    for (auto it = now.begin(); it != now.end(); ++it)
        if (!expected.contains(it.key()) || expected.value(it.key()) != it.value())
            differ << it.key();
    for (auto it = expected.begin(); it != expected.end(); ++it)
        if (!now.contains(it.key()))
            differ << it.key() + QStringLiteral(" (missing)");
    if (differ.isEmpty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "files differ: " << differ.join(QStringLiteral(", ")).toStdString();
}

// A small real picture file.
inline void WritePicture(const QString& path, int width = 64, int height = 48)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(20, 120, 200));
    ASSERT_TRUE(image.save(path));
}

inline QString Ui(int key)
{
    return Global::UiText.value(key);
}

} // namespace CustomerTabTest
