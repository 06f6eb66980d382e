#include "InfoBox.h"

#include <QMessageBox>

void InfoBox::Information(const QString& caption, const QString& text)
{
    QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::Ok);
    // A file name is shown as typed, never read as markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}
