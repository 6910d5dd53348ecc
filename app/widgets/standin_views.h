// Simple point table and image view for the main window, in the places where the full grid
// control and the scrolling image viewer go.
#pragma once

#include "app/dialog_host.h"

#include <QImage>
#include <QTableWidget>
#include <QWidget>

#include <functional>

// The point table: two rows of four cells under headings. Coordinate cells are shown through
// a display function and checked by a validation function when an edit ends; a refused edit
// reopens the editor with the text typed.
class StandInPointTable : public QTableWidget, public PointTable
{
    Q_OBJECT
public:
    using DisplayFn = std::function<std::string(const std::string& text, bool longitude)>;
    using ValidateFn = std::function<bool(const std::string& text, bool longitude)>;

    explicit StandInPointTable(QWidget* parent = nullptr);
    void SetDisplay(DisplayFn display) { m_display = std::move(display); }
    void SetValidate(ValidateFn validate) { m_validate = std::move(validate); }

    void SetCellText(int column, int row, const std::string& text) override;
    std::string GetCellText(int column, int row) override;
    void RedrawAll() override;
    void FitColumns() override;

    // Commits text typed into a cell: checks coordinates, stores the text. False when the
    // check refused it.
    bool CommitEdit(int column, int row, const std::string& text);

private:
    std::string RawText(int column, int row) const;
    void Refresh(int column, int row);
    void NormaliseCell(int column, int row);

    DisplayFn m_display;
    ValidateFn m_validate;
};

// The image view: the loaded image scaled to fit, reporting the image pixel under the pointer.
class StandInImageView : public QWidget, public ImageView
{
    Q_OBJECT
public:
    explicit StandInImageView(QWidget* parent = nullptr);

    bool LoadFile(const std::string& path) override;
    bool LoadJPEGFile(const std::string& path) override;
    DlgSize GetContentSize() override { return {m_image.width(), m_image.height()}; }

    std::function<void(int, int)> onTrack;
    std::function<void(int, int)> onEnd;

    // The image pixel under a widget position; false over the margin or without an image.
    bool ImagePixelAt(QPoint position, QPoint& pixel) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    bool Load(const std::string& path, const char* format);
    QRect TargetRect() const;

    QImage m_image;
};
