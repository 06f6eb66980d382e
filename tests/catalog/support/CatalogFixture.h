#pragma once
// The fixture catalogue (tests/fixtures/catalog) copied into a test's data
// folder, a main window loaded over it, and small helpers.
#include "app/MainWindowEnv.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

#include <memory>
#include <ostream>

class FlexGrid;
class QLabel;

namespace CatalogFixture {

// tests/fixtures/catalog
QString Dir();
// Copies the fixture's data/ (MODULE_DATA, POWER_CONDITIONER_DATA) into
// `dataFolder`.
void Install(const QString& dataFolder);
// The bytes of a file (empty when missing).
QByteArray Bytes(const QString& path);
// Lines joined with CR LF after each, in code page 932.
QByteArray Lines(const QStringList& lines);
// Every file below `folder` (relative path -> bytes).
QMap<QString, QByteArray> Snapshot(const QString& folder);
// Writes a picture of w x h pixels (format by the name's extension).
void MakePicture(const QString& path, int w, int h);
// {DataFolder}/MODULE_DATA/{maker}/{file} and the power-conditioner one.
QString ModuleFile(const QString& maker, const QString& file);
QString PowConFile(const QString& maker, const QString& file);

} // namespace CatalogFixture

// The main window in English over the fixture catalogue, the catalogue tab
// shown.
struct CatalogWindow {
    MainWindowEnv w;
    FrmMain* form = nullptr;

    explicit CatalogWindow(bool install = true);

    QObject* ctl(const QString& name) const;
    QObject* ctl(const char* name, int index) const;
    FlexGrid* makers(int side) const;
    FlexGrid* models(int side) const;
    QLabel* picture(int side) const;
    QString text(int box) const;                   // TxtIn_box
    void type(int box, const QString& text) const; // as the user types
    // A click on a data row of a grid, as the grid reports it.
    void clickMaker(int side, int row) const;
    void clickModel(int side, int row) const;
    // The texts of a grid's data rows.
    QStringList rows(const FlexGrid* grid) const;
    ScriptedDialogs& dialogs() const { return *w.env.dialogs; }
};

// Readable QStrings in test failures.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}
