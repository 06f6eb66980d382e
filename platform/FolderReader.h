#pragma once
// Reads many small files of one folder tree quickly: the folder is opened
// once and every file is looked up relative to it, without the per-file
// bookkeeping of QFile. For scans over thousands of files (the customer
// list, the catalogue); single files go through FileIo. Names are taken to
// and from the disk as platform/DiskNames.h says.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class FolderReader {
  public:
    // Opens `folder`; a folder that cannot be opened reads as empty.
    explicit FolderReader(const QString& folder);
    ~FolderReader();
    FolderReader(const FolderReader&) = delete;
    FolderReader& operator=(const FolderReader&) = delete;

    bool isOpen() const { return fd >= 0; }
    // The real folders directly in the folder (no links, not "." or ".."),
    // in the order the system lists them; the names of entries that cannot
    // be shown go to `notShown` (as on disk) when given.
    QStringList subfolders(QList<QByteArray>* notShown = nullptr) const;
    // The plain files directly in the folder (no links), in the order the
    // system lists them, names not shown as above. Like subfolders(), it
    // takes each entry's kind from the listing itself, with no status call
    // per entry where the file system gives it.
    QStringList files(QList<QByteArray>* notShown = nullptr) const;
    // True when `relative` names a file (a link to a file counts).
    bool isFile(const QString& relative) const;
    // The bytes of the file `relative`; nullopt when it cannot be opened or
    // read.
    std::optional<QByteArray> read(const QString& relative) const;

    enum class ReadOutcome { Read, Failed, TooLarge };
    // Reads the file `relative` into `bytes` when it holds at most `limit`
    // bytes; a larger file is read no further than just past the limit.
    ReadOutcome readAtMost(const QString& relative, qint64 limit, QByteArray& bytes) const;

  private:
    QStringList entries(bool folders, QList<QByteArray>* notShown) const;
    int fd = -1;
};
