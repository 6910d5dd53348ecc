// COXPreviewDialog: the open dialog for images, with a preview pane to the right of the file
// list, a "Preview" check button in the dialog's tool row that shows or hides it, and a splitter
// between list and pane. Whether the pane is shown and where the splitter sits are kept in the
// profile. It is Qt's own file dialog widget (not the desktop's), so that the pane can sit in it.
//
// What the pane shows is left to preview handlers, asked in the order they were added; when
// none draws, the pane reads "Preview not available.". The arithmetic of the layout is in
// imaging/preview_layout.h; this class carries it out.
#pragma once

#include "imaging/preview_layout.h"

#include <QFileDialog>

#include <memory>
#include <string>
#include <vector>

class QFrame;
class QToolButton;

namespace nv {
class Profile;
}

// The extension point of the pane. Every operation's default does nothing.
class COXPreviewHandler
{
public:
    virtual ~COXPreviewHandler() = default;
    // The selected file changed: an existing file, or "" when there is none or the pane is
    // hidden. handled tells whether an earlier handler took it; returns whether this one did.
    virtual bool OnFileChanged(const std::string& file, bool handled);
    // Draws the preview into rect of the pane; returns whether it drew.
    virtual bool OnDraw(QPainter& painter, const QRect& rect);
    // The palette changed or the dialog was activated; returns whether it was handled.
    virtual bool OnPaletteOrActivation(QWidget* window);
    // The pane moved or changed its size.
    virtual void OnLayoutChanged();
    // The pane was shown or hidden.
    virtual void OnPreviewSwitched(bool shown);
    virtual void OnPaneCreated(QWidget* pane);
    virtual void OnPaneDestroying(QWidget* pane);
};

class COXPreviewDialog : public QFileDialog
{
    Q_OBJECT
public:
    static constexpr int kSplitterGap = 6;

    // An open dialog for an existing file. filter is in the program's form
    // ("Bitmap Images|*.jpg;*.bmp|All Files|*.*||"); profile keeps the pane's settings (none:
    // they are neither read nor written).
    COXPreviewDialog(const std::string& filter, nv::Profile* profile, QWidget* parent = nullptr);
    ~COXPreviewDialog() override;

    // Adds a handler after those added before; the dialog owns it.
    void AddPreviewHandler(std::unique_ptr<COXPreviewHandler> handler);

    // Runs the dialog; true when the user chose a file.
    bool DoModal();
    // The full path of the file chosen.
    std::string GetPathName() const;

    // Shows or hides the pane. Before the dialog is first shown only the state is kept.
    void SetPreview(bool show);
    // Moves the pane's left edge offset pixels left of its place at offset 0, kept within the
    // limits while the pane is shown; the (corrected) offset is kept in every case.
    void SetPreviewOffset(int offset);

    bool IsPreviewShown() const { return m_bPreview; }
    int GetPreviewOffset() const { return m_nPreviewOffset; }
    // The selected file, when it exists.
    const std::string& GetSelectedFile() const { return m_strSelectedFile; }
    QWidget* PreviewPane() const;
    QWidget* Splitter() const { return m_wndSplitter; }
    QWidget* FileList() const { return m_wndList; }
    QToolButton* PreviewButton() const { return m_wndButton; }

    // Fills rect with the button face and writes "Preview not available." in its middle.
    virtual void DrawDefaultPreview(QPainter& painter, const QRect& rect);

protected:
    virtual void AddPreviewButton();
    // The pane's painting: the handlers in order until one draws, else the default.
    virtual void DrawPreview(QPainter& painter, const QRect& rect);
    // Tells the handlers of a new selection, when it or the pane's state changed.
    virtual void UpdatePreview();

    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class Area;
    class Pane;

    // The selection changed: path is the file the dialog points at (may be empty or missing).
    void OnFileNameChanged(const QString& path);
    // The pane's width at offset 0: that of the tool buttons.
    int DefaultPaneWidth() const;
    // Places list, splitter and pane for the area's width; with correct, the offset becomes
    // the corrected one.
    void LayoutPane(bool correct);
    void SaveSettings();

    nv::Profile* m_pProfile;
    std::vector<std::unique_ptr<COXPreviewHandler>> m_handlers;

    bool m_bPreview = true;
    bool m_bPreviewApplied = true;
    std::string m_strSelectedFile;
    std::string m_strPreviewedFile;
    int m_nPreviewOffset = 0;
    bool m_bFirstShown = false;
    bool m_bSaved = false;

    Area* m_wndArea = nullptr;        // where list, splitter and pane sit
    QWidget* m_wndList = nullptr;     // the file list (Qt's frame of list and detail views)
    QWidget* m_wndSplitter = nullptr; // the gap between list and pane
    Pane* m_wndPreview = nullptr;
    QToolButton* m_wndButton = nullptr;

    bool m_bDragging = false;
    int m_nLastDragX = 0;
    int m_nDragGrab = 0; // the pointer's distance from the list's right edge
};
