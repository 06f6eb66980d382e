#include "support/WriteFaults.h"

#include "platform/Dialogs.h"
#include "support/ChildProcess.h"
#include "support/ScriptedDialogs.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>

#include <csignal>
#include <QMultiHash>
#include <QSet>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>

namespace {

using FileIoFaults::Step;

struct FileState {
    QByteArray sha;
    qint64 size = 0;
    bool operator==(const FileState& o) const { return sha == o.sha; }
};
// Relative path below the saver's folder -> content.
using Files = QMap<QString, FileState>;

QByteArray Sha(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1);
}

QString Root(const Saver& s)
{
    return QDir::cleanPath(QFileInfo(s.folder).absoluteFilePath());
}

Files Snapshot(const QString& root)
{
    Files files;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        FileState state;
        if (f.open(QIODevice::ReadOnly)) {
            const QByteArray bytes = f.readAll();
            state = {Sha(bytes), bytes.size()};
        } else {
            state = {QByteArrayLiteral("<unreadable>"), -1};
        }
        files.insert(path.mid(root.size() + 1), state);
    }
    return files;
}

// What one run of a saver did, as far as the checks need it.
struct RunRecord {
    bool returned = false;
    QStringList errorBoxes;
    QList<QPair<QString, QString>> moves;  // renames that went through
    QMultiHash<QString, QByteArray> wrote; // files replaced whole -> content
    QList<qint64> sizes;                   // sizes of the files written whole
    int steps = 0;
};

ScriptedDialogs* Boxes()
{
    return dynamic_cast<ScriptedDialogs*>(Global::CurrentDialogs.get());
}

QStringList ErrorBoxes()
{
    QStringList out;
    if (ScriptedDialogs* d = Boxes())
        for (const QString& text : d->messages())
            if (text.startsWith(QStringLiteral("ERROR No:")))
                out << text;
    return out;
}

// Runs the saver with the seam's log on (FailAt must have been called) and
// collects what it did; the caller resets the seam.
RunRecord Run(const Saver& s)
{
    if (ScriptedDialogs* d = Boxes())
        d->log.clear();
    RunRecord r;
    r.returned = s.run();
    r.steps = FileIoFaults::StepsTaken();
    r.errorBoxes = ErrorBoxes();
    for (const FileIoFaults::StepRecord& step : FileIoFaults::Steps()) {
        if (step.failed)
            continue;
        if (step.step == Step::Move)
            r.moves.append({step.path, step.other});
        // A file is whole once renamed into place, or, for a plain copy,
        // once its write went through (a failed one leaves nothing).
        if (step.step == Step::Rename || (step.step == Step::Write && !step.other.isEmpty())) {
            // A copy's content is its source's.
            QByteArray bytes = step.bytes;
            if (!step.other.isEmpty()) {
                bytes = ReadFileBytes(step.other).value_or(QByteArray());
            }
            r.wrote.insert(step.path, Sha(bytes));
            r.sizes.append(bytes.size());
        }
    }
    return r;
}

QString Relative(const QString& root, const QString& path)
{
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (clean == root)
        return QString();
    if (!clean.startsWith(root + u'/'))
        return QStringLiteral("\x01outside");
    return clean.mid(root.size() + 1);
}

// `path` (relative) moved by `from` -> `to` (relative); unchanged otherwise.
QString Follow(const QString& path, const QString& from, const QString& to)
{
    if (path == from)
        return to;
    if (!from.isEmpty() && path.startsWith(from + u'/'))
        return to + path.mid(from.size());
    return path;
}

QString Describe(const QString& path, const FileState& state)
{
    return path + QStringLiteral(" (%1 bytes)").arg(state.size);
}

// The problems of one run: files that are neither old nor new, and a run
// that neither completed nor reported.
QStringList Check(const QString& root, const Files& old, const Files& whole, const Files& after,
                  const RunRecord& run, const QString& what)
{
    QStringList problems;
    const auto fail = [&](const QString& text) { problems << what + QStringLiteral(": ") + text; };

    if (run.errorBoxes.isEmpty()) {
        if (!run.returned)
            fail(QStringLiteral("the saver gave up without a report"));
        if (after != whole) {
            QStringList differ;
            for (auto it = whole.begin(); it != whole.end(); ++it)
                if (after.value(it.key()) != it.value())
                    differ << it.key();
            for (auto it = after.begin(); it != after.end(); ++it)
                if (!whole.contains(it.key()))
                    differ << it.key();
            fail(QStringLiteral("completed without a report but did not write it all: ") + differ.join(u", "));
        }
        return problems;
    }

    QList<QPair<QString, QString>> moves;
    for (const auto& m : run.moves)
        moves.append({Relative(root, m.first), Relative(root, m.second)});
    QMultiHash<QString, QByteArray> wrote;
    for (auto it = run.wrote.begin(); it != run.wrote.end(); ++it)
        wrote.insert(Relative(root, it.key()), it.value());

    for (auto it = after.begin(); it != after.end(); ++it) {
        const QString& path = it.key();
        QList<QByteArray> allowed;
        if (old.contains(path))
            allowed << old.value(path).sha;
        if (whole.contains(path))
            allowed << whole.value(path).sha;
        allowed << wrote.values(path);
        // Where the file was before the run's renames.
        QString before = path;
        for (qsizetype i = moves.size() - 1; i >= 0; --i)
            before = Follow(before, moves[i].second, moves[i].first);
        if (before != path && old.contains(before))
            allowed << old.value(before).sha;
        if (allowed.isEmpty())
            fail(QStringLiteral("left a file that no run writes: ") + Describe(path, it.value()));
        else if (!allowed.contains(it.value().sha))
            fail(QStringLiteral("damaged ") + Describe(path, it.value()));
    }
    for (auto it = old.begin(); it != old.end(); ++it) {
        QString now = it.key();
        for (const auto& m : moves)
            now = Follow(now, m.first, m.second);
        if (!after.contains(now) && whole.contains(now))
            fail(QStringLiteral("lost ") + Describe(it.key(), it.value()));
    }
    return problems;
}

void Print(const QString& line)
{
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

// The whole run: the folder before and after, and what it wrote.
struct WholeRun {
    Files old, whole;
    RunRecord record;
};

WholeRun RunWhole(const Saver& s)
{
    WholeRun w;
    s.arrange();
    w.old = Snapshot(Root(s));
    FileIoFaults::FailAt(0);
    w.record = Run(s);
    FileIoFaults::Reset();
    w.whole = Snapshot(Root(s));
    return w;
}

QString Outcome(const WriteFaultSummary& sum)
{
    QString text = QStringLiteral("(%1 reported, %2 completed), ").arg(sum.reported).arg(sum.completed);
    if (sum.problems.isEmpty())
        return text + QStringLiteral("none left a damaged file");
    return text + QStringLiteral("%1 PROBLEMS").arg(sum.problems.size());
}

QByteArray Field(const QString& s)
{
    return s.toUtf8().toPercentEncoding();
}

QString Unfield(const QByteArray& b)
{
    return QString::fromUtf8(QByteArray::fromPercentEncoding(b));
}

QByteArray Serialize(const RunRecord& r)
{
    QByteArray out = "R " + QByteArray::number(r.returned ? 1 : 0) + '\n';
    out += "S " + QByteArray::number(r.steps) + '\n';
    for (const QString& box : r.errorBoxes)
        out += "B " + Field(box) + '\n';
    for (const auto& m : r.moves)
        out += "M " + Field(m.first) + ' ' + Field(m.second) + '\n';
    for (auto it = r.wrote.begin(); it != r.wrote.end(); ++it)
        out += "W " + Field(it.key()) + ' ' + it.value().toHex() + '\n';
    return out;
}

RunRecord Deserialize(const QByteArray& text)
{
    RunRecord r;
    for (const QByteArray& line : text.split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() < 2)
            continue;
        if (parts[0] == "R")
            r.returned = parts[1] == "1";
        else if (parts[0] == "S")
            r.steps = parts[1].toInt();
        else if (parts[0] == "B")
            r.errorBoxes << Unfield(parts[1]);
        else if (parts[0] == "M" && parts.size() >= 3)
            r.moves.append({Unfield(parts[1]), Unfield(parts[2])});
        else if (parts[0] == "W" && parts.size() >= 3)
            r.wrote.insert(Unfield(parts[1]), QByteArray::fromHex(parts[2]));
    }
    return r;
}

void Keep(const Saver& s, const QStringList& lines)
{
    QString name = s.name;
    for (QChar& c : name)
        if (!c.isLetterOrNumber())
            c = u'_';
    const QString folder = QStringLiteral(HX_BUILD_DIR "/write-faults");
    QDir().mkpath(folder);
    QFile f(folder + u'/' + name + QStringLiteral(".txt"));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(lines.join(u'\n').toUtf8() + '\n');
}

} // namespace

WriteFaultSummary FailEveryWriteStep(const Saver& s)
{
    WriteFaultSummary sum;
    const WholeRun w = RunWhole(s);
    if (!w.record.returned || !w.record.errorBoxes.isEmpty())
        sum.problems << QStringLiteral("the whole run failed: ") + w.record.errorBoxes.join(u"; ");
    if (w.record.steps == 0)
        sum.problems << QStringLiteral("the whole run wrote nothing");
    for (int n = 1; n <= w.record.steps; ++n) {
        s.arrange();
        const Files old = Snapshot(Root(s));
        FileIoFaults::FailAt(n);
        const RunRecord r = Run(s);
        QString what = QStringLiteral("step %1").arg(n);
        const auto& steps = FileIoFaults::Steps();
        if (n - 1 < steps.size())
            what += QStringLiteral(" (%1 %2)")
                        .arg(FileIoFaults::StepName(steps[n - 1].step), Relative(Root(s), steps[n - 1].path));
        FileIoFaults::Reset();
        ++sum.points;
        if (r.steps < n) {
            sum.problems << what + QStringLiteral(": never reached");
            continue;
        }
        if (r.errorBoxes.isEmpty())
            sum.problems << what + QStringLiteral(": the failure was not reported");
        else
            ++sum.reported;
        sum.reports << r.errorBoxes;
        sum.problems << Check(Root(s), old, w.whole, Snapshot(Root(s)), r, what);
    }
    return sum;
}

WriteFaultSummary RunOnFullDisk(const Saver& s)
{
    WriteFaultSummary sum;
    const WholeRun w = RunWhole(s);
    std::set<qint64> limits{0};
    qint64 largest = 0;
    for (qint64 size : w.record.sizes) {
        largest = std::max(largest, size);
        // Each limit below a file's size fails that file part of the way
        // through, and every larger one.
        if (size > 0)
            limits.insert(size - 1);
    }
    limits.insert(largest);
    for (qint64 limit : limits) {
        Files old;
        ChildResult child;
        // A forked child that hung (SIGALRM) is tried again from the start:
        // the hang is the fork's, not the saver's, and a saver that hangs
        // every time is still reported below.
        for (int attempt = 0; attempt < 3; ++attempt) {
            s.arrange();
            old = Snapshot(Root(s));
            child = RunInChild({limit, false}, [&](const auto& send) {
                FileIoFaults::FailAt(0);
                send(Serialize(Run(s)));
                return 0;
            });
            if (child.exited || child.signal != SIGALRM)
                break;
            Print(QStringLiteral("[full disk] %1: file-size limit %2: the child hung, tried again").arg(s.name).arg(limit));
        }
        const QString what = QStringLiteral("file-size limit %1").arg(limit);
        ++sum.points;
        if (!child.exited || child.exitCode != 0) {
            sum.problems << what + QStringLiteral(": the saver crashed (exit %1, signal %2)")
                                       .arg(child.exitCode)
                                       .arg(child.signal);
            continue;
        }
        const RunRecord r = Deserialize(child.output);
        if (r.errorBoxes.isEmpty())
            ++sum.completed;
        else
            ++sum.reported;
        sum.reports << r.errorBoxes;
        sum.problems << Check(Root(s), old, w.whole, Snapshot(Root(s)), r, what);
    }
    if (sum.reported == 0)
        sum.problems << QStringLiteral("no file-size limit made the saver fail");
    return sum;
}

void CheckWriteFaults(const Saver& s)
{
    const WriteFaultSummary steps = FailEveryWriteStep(s);
    const WriteFaultSummary disk = RunOnFullDisk(s);
    const QStringList lines{
        QStringLiteral("[write faults] %1: %2 failure points tried ").arg(s.name).arg(steps.points) +
            Outcome(steps),
        QStringLiteral("[full disk] %1: %2 file-size limits tried ").arg(s.name).arg(disk.points) + Outcome(disk)};
    for (const QString& line : lines)
        Print(line);
    Keep(s, lines);
    for (const QString& p : steps.problems + disk.problems)
        ADD_FAILURE() << s.name.toStdString() << ": " << p.toStdString();
}

int StepNumberOf(const Saver& s, Step step, const QString& pathEnd)
{
    s.arrange();
    FileIoFaults::FailAt(0);
    s.run();
    int number = 0;
    const auto& steps = FileIoFaults::Steps();
    for (qsizetype i = 0; i < steps.size(); ++i)
        if (steps[i].step == step && steps[i].path.endsWith(pathEnd)) {
            number = int(i) + 1;
            break;
        }
    FileIoFaults::Reset();
    return number;
}
