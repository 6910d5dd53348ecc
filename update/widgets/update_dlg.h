// The update progress dialog: a caption, one status line and a sunken box. Half a second
// after it appears it runs the whole update check, showing each status text at once, and then
// closes itself. While the check runs only the message boxes it raises take input.
#pragma once

#include "platform/temp_files.h"
#include "platform/widgets/qt_message_box.h"
#include "platform/widgets/qt_shell.h"
#include "update/status_sink.h"
#include "update/update_check.h"

#include <QDialog>

#include <string>

class QFrame;
class QLabel;
class UpdateHost;

class CUpdateDlg : public QDialog, private nv::StatusSink
{
    Q_OBJECT

public:
    enum { IDD = 136, IDC_STATUS = 1024, IDC_BOX = 1045, kTimerPeriodMs = 500 };

    // host lets the restart step close the main window; it may be null.
    explicit CUpdateDlg(QWidget* parent = nullptr, UpdateHost* host = nullptr);
    ~CUpdateDlg() override;

    // The check the dialog runs, to configure before exec() (base URL, limits, message boxes).
    CUpdateCheck& Check() { return m_check; }
    // Runs the check now; returns its result (1 when updates were installed).
    int RunUpdateCheck();
    // The result of the last check, 0 before one has run.
    int CheckResult() const { return m_nResult; }

    QLabel* StatusControl() const { return m_pStatus; }

    std::string m_strStatus;

protected:
    void showEvent(QShowEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

public slots:
    void reject() override;

private:
    void ShowStatus(const std::string& text) override;
    // Copies m_strStatus into the status line and repaints it at once.
    void UpdateData();

    QLabel* m_pStatus = nullptr;
    QFrame* m_pBox = nullptr;
    nv::QtMessageBox m_messages;
    nv::QtShell m_shell;
    nv::SystemTempFiles m_tempFiles;
    CUpdateCheck m_check;
    int m_nTimerId = 0;
    bool m_bTimerStarted = false;
    bool m_bChecking = false;
    int m_nResult = 0;
};
