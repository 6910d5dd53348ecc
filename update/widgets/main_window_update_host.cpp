// The main window's part in the restart step.
#include "update/widgets/main_window_update_host.h"

#include <QCoreApplication>
#include <QStringList>

void MainWindowUpdateHost::SetMainWindowTitle(const std::string& title)
{
    if (m_pMainWindow)
        m_pMainWindow->setWindowTitle(QString::fromStdString(title));
}

std::vector<std::string> MainWindowUpdateHost::StartArguments() const
{
    std::vector<std::string> args;
    const QStringList all = QCoreApplication::arguments();
    for (qsizetype i = 1; i < all.size(); ++i)
        args.push_back(all[i].toStdString());
    return args;
}

void MainWindowUpdateHost::CloseMainWindow()
{
    if (m_pMainWindow)
        QMetaObject::invokeMethod(m_pMainWindow.data(), &QWidget::close, Qt::QueuedConnection);
}
