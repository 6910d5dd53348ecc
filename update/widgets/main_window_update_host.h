// The running program's side of the restart step: the main window whose title shows
// "Closing" and which closes, and the arguments the program was started with.
#pragma once

#include "update/update_installer.h"

#include <QPointer>
#include <QWidget>

class MainWindowUpdateHost : public UpdateHost
{
public:
    explicit MainWindowUpdateHost(QWidget* mainWindow) : m_pMainWindow(mainWindow) {}

    void SetMainWindowTitle(const std::string& title) override;
    // QCoreApplication::arguments() without the program.
    std::vector<std::string> StartArguments() const override;
    // Posts a close request to the main window.
    void CloseMainWindow() override;

private:
    QPointer<QWidget> m_pMainWindow;
};
