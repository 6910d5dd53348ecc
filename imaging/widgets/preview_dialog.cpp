// The image file dialog with its preview pane.
#include "imaging/widgets/preview_dialog.h"

#include "platform/profile.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QSplitter>
#include <QToolButton>

namespace {

const char* const kNotAvailable = "Preview not available.";

// The button's picture: a framed landscape.
QIcon PreviewIcon(const QPalette& palette)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(palette.color(QPalette::ButtonText));
    p.setBrush(QColor(176, 214, 240));
    p.drawRect(1, 2, 13, 11);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 140, 70));
    p.drawPolygon(QPolygon({QPoint(2, 13), QPoint(6, 7), QPoint(9, 10), QPoint(11, 8),
                            QPoint(14, 11), QPoint(14, 13)}));
    p.setBrush(QColor(240, 200, 40));
    p.drawEllipse(QPoint(11, 5), 1, 1);
    return QIcon(pixmap);
}

} // namespace

// ---- handlers

bool COXPreviewHandler::OnFileChanged(const std::string&, bool)
{
    return false;
}
bool COXPreviewHandler::OnDraw(QPainter&, const QRect&)
{
    return false;
}
bool COXPreviewHandler::OnPaletteOrActivation(QWidget*)
{
    return false;
}
void COXPreviewHandler::OnLayoutChanged() {}
void COXPreviewHandler::OnPreviewSwitched(bool) {}
void COXPreviewHandler::OnPaneCreated(QWidget*) {}
void COXPreviewHandler::OnPaneDestroying(QWidget*) {}

// ---- the pane

class COXPreviewDialog::Pane : public QFrame
{
public:
    Pane(COXPreviewDialog& owner, QWidget* parent) : QFrame(parent), m_owner(owner)
    {
        setObjectName("previewPane");
        setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        setAttribute(Qt::WA_OpaquePaintEvent); // the drawing covers it all
        setCursor(Qt::ArrowCursor);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        m_owner.DrawPreview(painter, contentsRect());
        drawFrame(&painter);
    }

private:
    COXPreviewDialog& m_owner;
};

// ---- the area of list, splitter and pane

// Asks Qt's splitter for the room the list and the pane need together.
class COXPreviewDialog::Area : public QWidget
{
public:
    using QWidget::QWidget;
    QSize sizeHint() const override { return m_hint; }
    void SetHint(QSize hint)
    {
        m_hint = hint;
        updateGeometry();
    }

private:
    QSize m_hint;
};

// ---- the dialog

COXPreviewDialog::COXPreviewDialog(const std::string& filter, nv::Profile* profile, QWidget* parent)
    : QFileDialog(parent), m_pProfile(profile)
{
    setOption(QFileDialog::DontUseNativeDialog, true);
    setAcceptMode(QFileDialog::AcceptOpen);
    setFileMode(QFileDialog::ExistingFile);
    setNameFilters(QString::fromStdString(FileDialogFilter(filter)).split(";;"));
    AddPreviewButton();

    // The file list leaves its place in Qt's splitter to an area that holds it, the splitter
    // and the pane. Without those parts the dialog works without a pane.
    auto* splitter = findChild<QSplitter*>("splitter");
    m_wndList = findChild<QFrame*>("frame");
    if (splitter && m_wndList && splitter->indexOf(m_wndList) >= 0) {
        m_wndArea = new Area;
        m_wndArea->setObjectName("previewArea");
        m_wndArea->SetHint(m_wndList->sizeHint());
        splitter->replaceWidget(splitter->indexOf(m_wndList), m_wndArea);
        splitter->setStretchFactor(splitter->indexOf(m_wndArea), 1);
        m_wndList->setParent(m_wndArea);
        m_wndList->show();
        m_wndArea->setMinimumWidth(kPreviewMinimumWidth);
        m_wndArea->installEventFilter(this);
        m_wndSplitter = new QWidget(m_wndArea);
        m_wndSplitter->setObjectName("previewSplitter");
        m_wndSplitter->setCursor(Qt::SplitHCursor);
        m_wndSplitter->hide();
        m_wndSplitter->installEventFilter(this);
    } else {
        m_wndList = nullptr;
    }

    // Selection tracking: the list's current file, and what is typed as the file name.
    connect(this, &QFileDialog::currentChanged, this, &COXPreviewDialog::OnFileNameChanged);
    auto* edit = findChild<QLineEdit*>("fileNameEdit");
    auto typed = [this, edit] {
        const QString text = edit ? edit->text() : QString();
        OnFileNameChanged(text.isEmpty() ? QString() : QDir(directory()).absoluteFilePath(text));
    };
    if (edit)
        connect(edit, &QLineEdit::textChanged, this, typed);
    connect(this, &QFileDialog::directoryEntered, this, [this, typed] {
        if (m_wndPreview)
            LayoutPane(false);
        typed();
    });
    // Room for the pane beside the list.
    if (m_wndArea)
        resize(sizeHint().width() + DefaultPaneWidth() + kSplitterGap, sizeHint().height());
}

COXPreviewDialog::~COXPreviewDialog()
{
    SaveSettings();
    if (m_wndPreview)
        for (auto& handler : m_handlers)
            handler->OnPaneDestroying(m_wndPreview);
    m_handlers.clear();
}

void COXPreviewDialog::AddPreviewHandler(std::unique_ptr<COXPreviewHandler> handler)
{
    m_handlers.push_back(std::move(handler));
}

bool COXPreviewDialog::DoModal()
{
    return exec() == QDialog::Accepted;
}

std::string COXPreviewDialog::GetPathName() const
{
    const QStringList files = selectedFiles();
    return files.isEmpty() ? std::string() : files.first().toStdString();
}

QWidget* COXPreviewDialog::PreviewPane() const
{
    return m_wndPreview;
}

void COXPreviewDialog::AddPreviewButton()
{
    m_wndButton = new QToolButton(this);
    m_wndButton->setObjectName("previewButton");
    m_wndButton->setText("Preview");
    m_wndButton->setToolTip("Preview selected file");
    m_wndButton->setIcon(PreviewIcon(palette()));
    m_wndButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_wndButton->setAutoRaise(true);
    m_wndButton->setCheckable(true);
    m_wndButton->setChecked(m_bPreview);
    if (auto* row = findChild<QHBoxLayout*>("hboxLayout"))
        row->addWidget(m_wndButton);
    else
        m_wndButton->hide();
    connect(m_wndButton, &QToolButton::toggled, this, [this](bool on) { SetPreview(on); });
}

int COXPreviewDialog::DefaultPaneWidth() const
{
    // The tool buttons from the first one to the Preview button, as the row lays them out.
    auto* row = findChild<QHBoxLayout*>("hboxLayout");
    auto* first = findChild<QToolButton*>("backButton");
    if (!row || !first || row->indexOf(first) < 0)
        return 4 * kPreviewMinimumWidth;
    int width = 0;
    for (int i = row->indexOf(first); i < row->count(); ++i)
        if (QWidget* w = row->itemAt(i)->widget(); w && !w->isHidden())
            width += w->sizeHint().width() + (width ? row->spacing() : 0);
    return std::max(width, kPreviewMinimumWidth);
}

void COXPreviewDialog::SetPreview(bool show)
{
    if (m_bFirstShown && m_wndArea) {
        if (show && !m_wndPreview) {
            m_wndPreview = new Pane(*this, m_wndArea);
            m_wndSplitter->show();
            LayoutPane(true);
            m_wndPreview->show();
            for (auto& handler : m_handlers)
                handler->OnPaneCreated(m_wndPreview);
        } else if (!show && m_wndPreview) {
            for (auto& handler : m_handlers)
                handler->OnPaneDestroying(m_wndPreview);
            delete m_wndPreview;
            m_wndPreview = nullptr;
            m_wndSplitter->hide();
            LayoutPane(false);
        }
    }
    const bool changed = show != m_bPreview;
    m_bPreview = show;
    {
        const QSignalBlocker block(m_wndButton);
        m_wndButton->setChecked(show);
    }
    if (!m_bFirstShown)
        return;
    UpdatePreview();
    if (changed)
        for (auto& handler : m_handlers)
            handler->OnPreviewSwitched(show);
}

void COXPreviewDialog::SetPreviewOffset(int offset)
{
    const bool move = m_wndPreview && m_wndPreview->isVisible() && offset != m_nPreviewOffset;
    m_nPreviewOffset = offset;
    if (move)
        LayoutPane(true);
}

void COXPreviewDialog::LayoutPane(bool correct)
{
    if (!m_wndArea)
        return;
    const int width = m_wndArea->width(), height = m_wndArea->height();
    const QSize list = m_wndList->sizeHint();
    if (!m_wndPreview) {
        m_wndList->setGeometry(0, 0, width, height);
        m_wndArea->setMinimumWidth(kPreviewMinimumWidth);
        m_wndArea->SetHint(list);
        return;
    }
    const int paneWidth = DefaultPaneWidth();
    m_wndArea->SetHint(QSize(list.width() + kSplitterGap + paneWidth, list.height()));
    const PreviewGeometry g = PlacePreviewPane(width, paneWidth, kSplitterGap, m_nPreviewOffset);
    if (correct)
        m_nPreviewOffset = g.offset;
    m_wndList->setGeometry(0, 0, g.listWidth, height);
    m_wndSplitter->setGeometry(g.listWidth, 0, g.paneLeft - g.listWidth, height);
    m_wndPreview->setGeometry(g.paneLeft, 0, g.paneWidth, height);
    // The list can never be made narrower than its minimum by resizing the dialog.
    m_wndArea->setMinimumWidth(kPreviewMinimumWidth + kSplitterGap + g.paneWidth);
    m_wndPreview->update();
    for (auto& handler : m_handlers)
        handler->OnLayoutChanged();
}

void COXPreviewDialog::OnFileNameChanged(const QString& path)
{
    const QFileInfo info(path);
    m_strSelectedFile =
        !path.isEmpty() && info.isFile() ? info.absoluteFilePath().toStdString() : std::string();
    UpdatePreview();
}

void COXPreviewDialog::UpdatePreview()
{
    // File names differing only in letter case are different files here.
    if (m_strSelectedFile == m_strPreviewedFile && m_bPreview == m_bPreviewApplied)
        return;
    const std::string file = m_bPreview ? m_strSelectedFile : std::string();
    bool handled = false;
    for (auto& handler : m_handlers)
        handled = handler->OnFileChanged(file, handled) || handled;
    if (m_wndPreview)
        m_wndPreview->update();
    m_strPreviewedFile = m_strSelectedFile;
    m_bPreviewApplied = m_bPreview;
}

void COXPreviewDialog::DrawPreview(QPainter& painter, const QRect& rect)
{
    for (auto& handler : m_handlers)
        if (handler->OnDraw(painter, rect))
            return;
    DrawDefaultPreview(painter, rect);
}

void COXPreviewDialog::DrawDefaultPreview(QPainter& painter, const QRect& rect)
{
    painter.fillRect(rect, palette().button());
    painter.setPen(palette().buttonText().color());
    painter.setFont(QApplication::font());
    painter.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine, kNotAvailable);
}

void COXPreviewDialog::showEvent(QShowEvent* event)
{
    QFileDialog::showEvent(event);
    if (m_bFirstShown)
        return;
    // The saved state first, the saved offset once the dialog has its size.
    m_bFirstShown = true;
    m_bSaved = false;
    const PreviewSettings current{m_bPreview, m_nPreviewOffset};
    const PreviewSettings saved = m_pProfile ? ReadPreviewSettings(*m_pProfile, current) : current;
    SetPreview(saved.preview);
    QMetaObject::invokeMethod(
        this, [this, offset = saved.offset] { SetPreviewOffset(offset); }, Qt::QueuedConnection);
}

void COXPreviewDialog::done(int result)
{
    SaveSettings();
    QFileDialog::done(result);
}

void COXPreviewDialog::SaveSettings()
{
    if (m_pProfile && m_bFirstShown && !m_bSaved)
        WritePreviewSettings(*m_pProfile, {m_bPreview, m_nPreviewOffset});
    m_bSaved = true;
}

void COXPreviewDialog::changeEvent(QEvent* event)
{
    QFileDialog::changeEvent(event);
    if (event->type() == QEvent::PaletteChange ||
        (event->type() == QEvent::ActivationChange && isActiveWindow()))
        for (auto& handler : m_handlers)
            handler->OnPaletteOrActivation(this);
}

bool COXPreviewDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_wndArea && event->type() == QEvent::Resize) {
        LayoutPane(false);
    } else if (watched == m_wndSplitter && m_wndPreview) {
        // Dragging the splitter: the pointer in the area's coordinates, held within the limits.
        auto areaX = [this](QEvent* e) {
            const QPoint p = static_cast<QMouseEvent*>(e)->position().toPoint();
            return m_wndSplitter->mapTo(m_wndArea, p).x();
        };
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
                break;
            m_bDragging = true;
            m_nLastDragX = areaX(event);
            m_nDragGrab = m_nLastDragX - m_wndList->width();
            return true;
        case QEvent::MouseMove:
            if (m_bDragging) {
                int x = areaX(event);
                const int offset = PreviewDragStep(m_wndArea->width(), kSplitterGap, m_nDragGrab,
                                                   m_nPreviewOffset, m_nLastDragX, x);
                if (x != m_nLastDragX)
                    SetPreviewOffset(offset);
                m_nLastDragX = x;
                return true;
            }
            break;
        case QEvent::MouseButtonRelease:
        case QEvent::UngrabMouse:
            if (m_bDragging) {
                m_bDragging = false;
                return true;
            }
            break;
        default:
            break;
        }
    }
    return QFileDialog::eventFilter(watched, event);
}
