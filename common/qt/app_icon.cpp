#include "common/qt/app_icon.h"

#include <QApplication>
#include <QIcon>
#include <QString>

namespace zeph {

void setApplicationIcon(const char* name) {
    const QString base = QStringLiteral(":/icons/%1-").arg(QString::fromLatin1(name));
    QIcon icon;
    icon.addFile(base + QStringLiteral("48.png"));
    icon.addFile(base + QStringLiteral("256.png"));
    QApplication::setWindowIcon(icon);
    // Lets a desktop match the windows to the installed entry and its icon.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(name));
}

} // namespace zeph
