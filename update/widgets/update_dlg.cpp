// The update progress dialog.
#include "update/widgets/update_dlg.h"

#include "support/product_name.h"

#include "update/update_url.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QTimerEvent>

namespace {

// Dialog units to pixels with the dialog font: a quarter of the average character width
// horizontally, an eighth of the line height vertically.
QRect DialogRect(const QFontMetrics& fm, int x, int y, int w, int h)
{
    const double cx = fm.averageCharWidth() / 4.0;
    const double cy = fm.height() / 8.0;
    return QRect(qRound(x * cx), qRound(y * cy), qRound(w * cx), qRound(h * cy));
}

} // namespace

CUpdateDlg::CUpdateDlg(QWidget* parent, UpdateHost* host)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_messages(kProductName, this), m_check(m_messages, m_tempFiles)
{
    setObjectName(QString::number(IDD));
    setWindowTitle("Checking For Updates");
    setModal(true);

    const QFontMetrics fm(font());
    setFixedSize(DialogRect(fm, 0, 0, 187, 60).size());

    m_pStatus = new QLabel("Static", this);
    m_pStatus->setObjectName(QString::number(IDC_STATUS));
    m_pStatus->setGeometry(DialogRect(fm, 7, 7, 173, 8).adjusted(0, 0, 0, fm.height() / 2));

    m_pBox = new QFrame(this);
    m_pBox->setObjectName(QString::number(IDC_BOX));
    m_pBox->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_pBox->setGeometry(DialogRect(fm, 7, 35, 173, 18));

    m_check.SetStatusSink(this);
    m_check.SetRestart(&m_shell, host);
    m_check.SetBaseUrl(UpdateBaseUrl());
}

CUpdateDlg::~CUpdateDlg() = default;

void CUpdateDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_bTimerStarted) {
        m_bTimerStarted = true;
        m_nTimerId = startTimer(kTimerPeriodMs);
    }
}

void CUpdateDlg::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_nTimerId) {
        QDialog::timerEvent(event);
        return;
    }
    killTimer(m_nTimerId);
    m_nTimerId = 0;
    RunUpdateCheck();
    // Close once the check has returned to the event loop.
    QMetaObject::invokeMethod(this, &CUpdateDlg::reject, Qt::QueuedConnection);
}

int CUpdateDlg::RunUpdateCheck()
{
    m_bChecking = true;
    m_nResult = m_check.RunUpdateCheck();
    m_bChecking = false;
    return m_nResult;
}

void CUpdateDlg::reject()
{
    // The check cannot be cancelled: Escape and close requests wait until it has ended.
    if (m_bChecking)
        return;
    QDialog::reject();
}

void CUpdateDlg::closeEvent(QCloseEvent* event)
{
    if (m_bChecking) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void CUpdateDlg::ShowStatus(const std::string& text)
{
    m_strStatus = text;
    UpdateData();
}

void CUpdateDlg::UpdateData()
{
    m_pStatus->setText(QString::fromStdString(m_strStatus));
    m_pStatus->repaint();
}
