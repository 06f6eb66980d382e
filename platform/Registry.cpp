#include "platform/Registry.h"

#include "platform/AnsiCodec.h"
#include "platform/AppError.h"

#include <QSettings>
#include <QStandardPaths>

namespace {

constexpr qsizetype kValueBuffer = 256;

// "Software\Tolvane\Heliodex\System\Report" -> group "System/Report" of the
// settings of organisation Tolvane, application Heliodex.
QString settingsGroup(const QString& fullKey)
{
    QString k = fullKey;
    k.replace(u'\\', u'/');
    static const QString prefix = QStringLiteral("Software/Tolvane/Heliodex");
    if (k.compare(prefix, Qt::CaseInsensitive) == 0)
        return QString();
    if (k.startsWith(prefix + u'/', Qt::CaseInsensitive))
        return k.mid(prefix.size() + 1);
    return QStringLiteral("Other/") + k;
}

QString fullKeyOf(const QString& path)
{
    QString p = path;
    if (p.endsWith(u'\\'))
        p.chop(1);
    return QStringLiteral("Software\\") + p;
}

std::unique_ptr<QSettings> openSettings()
{
    // QSettings fixes the user's settings folder at its first use in the
    // process. Follow the folder the environment names now (XDG_CONFIG_HOME,
    // else ~/.config), so that a changed HOME -- each test has its own --
    // is honoured rather than writing into the first one ever seen.
    const QString root = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (!root.isEmpty())
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, root);
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("Tolvane"), QStringLiteral("Heliodex"));
}

} // namespace

bool RegSetValue(int hive, const QString& key, const QString& name, int type, const QVariant& value)
{
    bool result = false;
    Guarded(QStringLiteral("RegSetValue"), [&] {
        if (hive != HKEY_CURRENT_USER)
            return;
        auto s = openSettings();
        if (!s->isWritable())
            return;
        const QString group = settingsGroup(key);
        const QString fullName = group.isEmpty() ? name : group + u'/' + name;
        if (type == REG_SZ) {
            // What the store holds is what code page 932 can carry.
            s->setValue(fullName, AnsiCodec::decode(AnsiCodec::encode(value.toString())));
        } else if (type == REG_DWORD) {
            bool ok = false;
            qlonglong v = value.toLongLong(&ok);
            if (!ok)
                throw AppError(13);
            s->setValue(fullName, int(std::int32_t(v)));
        } else {
            return;
        }
        s->sync();
        result = s->status() == QSettings::NoError;
    });
    return result;
}

QVariant RegGetValue(int hive, const QString& key, const QString& name, int type, const QVariant& def)
{
    QVariant result = def;
    Guarded(QStringLiteral("RegGetValue"), [&] {
        if (hive != HKEY_CURRENT_USER)
            return;
        auto s = openSettings();
        const QString group = settingsGroup(key);
        const QString fullName = group.isEmpty() ? name : group + u'/' + name;
        if (!s->contains(fullName))
            return;
        QVariant v = s->value(fullName);
        if (type == REG_SZ) {
            QString text = v.toString();
            int nul = text.indexOf(QChar(0));
            if (nul >= 0)
                text.truncate(nul);
            // The value and its NUL must fit the 256-byte buffer.
            if (AnsiCodec::byteLength(text) + 1 > kValueBuffer)
                return;
            result = text;
        } else if (type == REG_DWORD) {
            bool ok = false;
            qlonglong n = v.toLongLong(&ok);
            if (ok)
                result = int(std::int32_t(n));
        }
    });
    return result;
}

bool RegStrSet(const QString& path, const QString& name, const QString& text)
{
    bool result = false;
    Guarded(QStringLiteral("RegStrSet"), [&] {
        // A text that would not read back whole is refused rather than
        // stored and silently lost at the next read.
        if (AnsiCodec::byteLength(text) + 1 > kValueBuffer)
            return;
        result = RegSetValue(HKEY_CURRENT_USER, fullKeyOf(path), name, REG_SZ, text);
    });
    return result;
}

bool RegNumSet(const QString& path, const QString& name, std::int32_t value)
{
    bool result = false;
    Guarded(QStringLiteral("RegNumSet"), [&] {
        result = RegSetValue(HKEY_CURRENT_USER, fullKeyOf(path), name, REG_DWORD, int(value));
    });
    return result;
}

QString RegStrGet(const QString& path, const QString& name)
{
    QString result;
    Guarded(QStringLiteral("RegStrGet"), [&] {
        result = RegGetValue(HKEY_CURRENT_USER, fullKeyOf(path), name, REG_SZ, QString()).toString();
    });
    return result;
}

std::int32_t RegNumGet(const QString& path, const QString& name)
{
    std::int32_t result = 0;
    Guarded(QStringLiteral("RegNumGet"), [&] {
        result = RegGetValue(HKEY_CURRENT_USER, fullKeyOf(path), name, REG_DWORD, 0).toInt();
    });
    return result;
}

void RegSync()
{
    openSettings()->sync();
}
