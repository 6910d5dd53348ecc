// Desktop "open" and program start through Qt.
#include "platform/widgets/qt_shell.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStringList>
#include <QUrl>

namespace nv {

bool QtShell::Open(const std::string& target)
{
    const QString text = QString::fromStdString(target);
    QUrl url(text);
    // A path (absolute, or without a scheme of its own) is a local file.
    if (text.startsWith('/') || url.scheme().size() < 2)
        url = QUrl::fromLocalFile(text);
    return QDesktopServices::openUrl(url);
}

bool QtShell::StartProgram(const std::string& program, const std::vector<std::string>& args)
{
    QStringList list;
    for (const std::string& a : args)
        list << QString::fromStdString(a);
    return QProcess::startDetached(QString::fromStdString(program), list);
}

} // namespace nv
