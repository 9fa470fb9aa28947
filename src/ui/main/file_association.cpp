#include "ui/main/file_association.h"

#include <algorithm>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

#include "ui/common/app_icon.h"
#include "ui/common/text.h"

namespace velmora {

namespace {

const char* const kIconName = "velmora-editor";

// The executable as one argument of a desktop entry's Exec key: quoted, with the characters
// that are special inside quotes escaped, then with the key's own escapes.
QString ExecArgument(const QString& executable) {
    QString quoted;
    for (const QChar c : executable) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\')) {
            quoted += QLatin1Char('\\');
        }
        quoted += c;
    }
    quoted.replace(QLatin1String("\\"), QLatin1String("\\\\"));
    quoted.replace(QLatin1String("%"), QLatin1String("%%"));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QByteArray Template(const char* resource) {
    QFile file(Q(resource));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

enum class WriteResult { Unchanged, Written, Failed };

WriteResult WriteIfDifferent(const QString& path, const QByteArray& content) {
    QFile existing(path);
    if (existing.open(QIODevice::ReadOnly) && existing.readAll() == content) {
        return WriteResult::Unchanged;
    }
    existing.close();
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        return WriteResult::Failed;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() ||
        !file.commit()) {
        return WriteResult::Failed;
    }
    return WriteResult::Written;
}

// Runs a cache tool on folder when the tool is installed; true when it is absent or succeeded.
bool RefreshCache(const QString& tool, const QString& folder) {
    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty()) {
        return true;
    }
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, {folder});
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

}  // namespace

bool AssociationInstalled(const QString& programFolder, const QStringList& dataFolders) {
    const QString share = QDir::cleanPath(programFolder + Q("/../share"));
    const bool listed =
        std::any_of(dataFolders.begin(), dataFolders.end(),
                    [&share](const QString& folder) { return QDir::cleanPath(folder) == share; });
    return listed && QFileInfo::exists(share + Q("/mime/packages/velmora-editor.xml")) &&
           QFileInfo::exists(share + Q("/applications/velmora-editor.desktop"));
}

QStringList DesktopDataFolders() {
    return QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
}

QString UserDataHome() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

bool RegisterFileType(const QString& dataHome, const QString& executable) {
    if (dataHome.isEmpty()) {
        return false;
    }
    const QString mimeFolder = dataHome + Q("/mime");
    const QString appsFolder = dataHome + Q("/applications");

    QByteArray mime = Template(":/templates/velmora-editor-mime.xml");
    QByteArray desktop = Template(":/templates/velmora-editor.desktop");
    if (mime.isEmpty() || desktop.isEmpty()) {
        return false;
    }
    mime.replace("@ICON@", kIconName);
    desktop.replace("@EXEC@", ExecArgument(executable).toUtf8());
    desktop.replace("@ICON@", kIconName);

    QByteArray icon;
    {
        QBuffer buffer(&icon);
        buffer.open(QIODevice::WriteOnly);
        AppIconImage(64).save(&buffer, "PNG");
    }

    const WriteResult mimeResult =
        WriteIfDifferent(mimeFolder + Q("/packages/velmora-editor.xml"), mime);
    if (mimeResult == WriteResult::Failed) {
        return false;
    }
    const WriteResult desktopResult =
        WriteIfDifferent(appsFolder + Q("/velmora-editor.desktop"), desktop);
    if (desktopResult == WriteResult::Failed) {
        return false;
    }
    const WriteResult iconResult = WriteIfDifferent(
        dataHome + Q("/icons/hicolor/64x64/apps/") + Q(kIconName) + Q(".png"), icon);
    if (iconResult == WriteResult::Failed) {
        return false;
    }
    if (mimeResult == WriteResult::Written &&
        !RefreshCache(Q("update-mime-database"), mimeFolder)) {
        return false;
    }
    if (desktopResult == WriteResult::Written &&
        !RefreshCache(Q("update-desktop-database"), appsFolder)) {
        return false;
    }
    return true;
}

}  // namespace velmora
